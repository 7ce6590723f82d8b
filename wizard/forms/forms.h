#pragma once

// The folder of the embedded layouts ("<folder>/form_Main.json") and of their pictures.
inline constexpr const char* kWizardFormsFolder = "wizard/forms";
inline constexpr const char* kWizardPicturesFolder = "wizard/forms/pictures";

// Registers the six window layouts and their pictures with the embedded files of the toolkit.
void RegisterWizardForms();
