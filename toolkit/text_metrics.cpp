#include "toolkit/text_metrics.h"

#include <mutex>
#include <string>
#include <unordered_map>

#include "toolkit/text_block.h"

namespace {

// An auto-sized label measures its caption again at every change of its font or caption, and
// the windows are built from the same few fonts and texts: sizes once measured are kept.
class MeasuredSizes {
 public:
  TPoint Of(const TFont& font, std::string_view utf8) {
    // The colour does not change the size.
    std::string key = font.Name();
    key.append(1, '\0').append(std::to_string(font.Height())).append(1, '/').append(std::to_string(font.Style()));
    key.append(1, '\0').append(utf8);
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = sizes_.find(key); it != sizes_.end()) return it->second;
    // Texts typed into mirrored edits come and go: the store stays small.
    if (sizes_.size() >= kMostKept) sizes_.clear();
    const TPoint size = TTextBlock(font, utf8).Size();
    sizes_.emplace(std::move(key), size);
    return size;
  }

 private:
  static constexpr size_t kMostKept = 4096;
  std::mutex mutex_;
  std::unordered_map<std::string, TPoint> sizes_;
};

}  // namespace

TPoint MeasureText(const TFont& font, std::string_view utf8) {
  static MeasuredSizes sizes;
  return sizes.Of(font, utf8);
}
