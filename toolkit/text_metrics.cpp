#include "toolkit/text_metrics.h"

#include "toolkit/text_block.h"

TPoint MeasureText(const TFont& font, std::string_view utf8) { return TTextBlock(font, utf8).Size(); }
