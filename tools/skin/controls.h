#pragma once

#include "canvas.h"

// The pictures of the skinned controls. Each draws on a canvas of the control's picture size.
namespace skin {

enum class Look { Normal, Hover, Pressed };

void DrawButton(Canvas& c, Look look);
void DrawCheckBox(Canvas& c, bool checked, bool hover);
void DrawRadio(Canvas& c, bool selected, bool hover);
void DrawDropDown(Canvas& c, Look look);  // Pressed is the open list
void DrawEditField(Canvas& c);
// An edit field with a slot under each of the four octets of an address.
void DrawAddressField(Canvas& c);
void DrawListRow(Canvas& c, bool selected);
void DrawListHeader(Canvas& c, int columns);
void DrawClose(Canvas& c);
void DrawMinimize(Canvas& c);

}  // namespace skin
