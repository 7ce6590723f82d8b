#include "wizard/layout_loading.h"

#include <algorithm>

#include "toolkit/resources.h"
#include "wizard/forms/forms.h"

void LoadWizardLayout(TForm& form, const std::string& name, const THandlerTable& handlers) {
  const std::string file = std::string(kWizardFormsFolder) + "/" + name + ".json";
  const std::optional<std::string_view> text = FindEmbeddedFile(file);
  if (!text) throw ELayoutError(file + " is not embedded (RegisterWizardForms not called?)");
  static const TPictureSource pictures = ResourcePictures(kWizardPicturesFolder);
  LoadLayout(form, *text, file, handlers, pictures);
}

std::vector<TTextSample> WizardTextSamples() {
  std::vector<TTextSample> samples;
  for (const char* name : {"form_Main", "form_ApplyProgress", "form_UsernamePassValid", "form_ConfirmFormat",
                           "form_MessageBox", "form_ConnectionTest"}) {
    const std::optional<std::string_view> text =
        FindEmbeddedFile(std::string(kWizardFormsFolder) + "/" + name + ".json");
    if (!text) continue;
    for (TTextSample& sample : LayoutTextSamples(*text)) {
      auto same = std::find_if(samples.begin(), samples.end(), [&](const TTextSample& s) {
        return s.font.Name() == sample.font.Name() && s.font.Height() == sample.font.Height() &&
               s.font.Style() == sample.font.Style();
      });
      if (same == samples.end()) {
        samples.push_back(std::move(sample));
      } else {
        same->text += sample.text;  // a character twice costs nothing more
      }
    }
  }
  return samples;
}
