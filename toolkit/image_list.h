#pragma once

#include <memory>
#include <vector>

#include "toolkit/canvas.h"
#include "toolkit/component.h"
#include "toolkit/picture.h"

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner) : TComponent(owner) {}
  std::string ClassName() const override { return "TImageList"; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int Count() const { return static_cast<int>(images_.size()); }
  // A picture of another size than the list's is a programming error.
  void Add(std::shared_ptr<const TPictureFile> image);
  // Decodes the picture on first use.
  const std::shared_ptr<const TBitmapData>& Image(int i) const { return images_.at(static_cast<size_t>(i))->Bitmap(); }
  // Draws the picture as painting does (TPictureFile::BitmapToDraw).
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;

 private:
  int width_ = 16;
  int height_ = 16;
  std::vector<std::shared_ptr<const TPictureFile>> images_;
};
