#include "toolkit/image_list.h"

#include <stdexcept>
#include <string>

void TImageList::Add(std::shared_ptr<const TPictureFile> image) {
  if (!image || image->Width() != width_ || image->Height() != height_) {
    throw std::invalid_argument("image list " + Name() + ": picture is not " + std::to_string(width_) + " x " +
                                std::to_string(height_));
  }
  images_.push_back(std::move(image));
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  canvas->DrawBitmap(x, y, images_[static_cast<size_t>(index)]->BitmapToDraw(), enabled);
}
