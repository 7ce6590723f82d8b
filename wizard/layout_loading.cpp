#include "wizard/layout_loading.h"

#include "toolkit/resources.h"
#include "wizard/forms/forms.h"

void LoadWizardLayout(TForm& form, const std::string& name, const THandlerTable& handlers) {
  const std::string file = std::string(kWizardFormsFolder) + "/" + name + ".json";
  const std::optional<std::string_view> text = FindEmbeddedFile(file);
  if (!text) throw ELayoutError(file + " is not embedded (RegisterWizardForms not called?)");
  static const TPictureSource pictures = ResourcePictures(kWizardPicturesFolder);
  LoadLayout(form, *text, file, handlers, pictures);
}
