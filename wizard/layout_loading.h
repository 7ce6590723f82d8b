#pragma once

#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/layout.h"

// Builds a window of the program from its embedded layout ("wizard/forms/<name>.json") with the
// handlers its class registered. The class binds its fields afterwards.
void LoadWizardLayout(TForm& form, const std::string& name, const THandlerTable& handlers);

// The texts of the six windows' layouts in the fonts they are shown in (see LayoutTextSamples).
std::vector<TTextSample> WizardTextSamples();
