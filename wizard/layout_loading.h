#pragma once

#include <string>

#include "toolkit/form.h"
#include "toolkit/layout.h"

// Builds a window of the program from its embedded layout ("wizard/forms/<name>.json") with the
// handlers its class registered. The class binds its fields afterwards.
void LoadWizardLayout(TForm& form, const std::string& name, const THandlerTable& handlers);
