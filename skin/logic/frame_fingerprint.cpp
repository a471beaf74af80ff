#include "skin/logic/frame_fingerprint.h"

#include <utility>

#include "skin/logic/placement.h"

namespace quorlin::skin {
namespace {

bool SameRect(const ImageRect& a, const ImageRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The same pixels end up where they are drawn.
bool SameDrawing(const Placement& a, const Placement& b) {
  if (a.cropped != b.cropped) return false;
  return a.cropped ? SameRect(a.source, b.source) : SameRect(a.destination, b.destination);
}

}  // namespace

bool BackTypeMatters(double iw, double ih, int w, int h) {
  const Placement natural = PlaceImage(0, iw, ih, w, h);  // every other value places like 0
  return !SameDrawing(natural, PlaceImage(kBackTypeStretch, iw, ih, w, h)) ||
         !SameDrawing(natural, PlaceImage(kBackTypeFit, iw, ih, w, h));
}

void FrameMemo::Presented(std::uint64_t presentation) { lastPresentation_ = presentation; }

void FrameMemo::Composed(FormFingerprint fingerprint, std::uint64_t presentation) {
  known_ = true;
  fingerprint_ = std::move(fingerprint);
  composedPresentation_ = presentation;
  lastPresentation_ = presentation;
  keptSerial_ = 0;  // until the caller says this composition was kept
}

void FrameMemo::Kept(std::uint64_t serial) { keptSerial_ = serial; }

void FrameMemo::ShownAgain() { composedPresentation_ = lastPresentation_; }

void FrameMemo::Forget() { *this = FrameMemo(); }

RefreshAction FrameMemo::Decide(const FormFingerprint& now, bool focusForm, std::uint64_t heldSerial) const {
  if (!known_ || !(fingerprint_ == now)) return RefreshAction::Compose;
  // The focus form's refresh leaves its composition as FocusComposition for the caret: only the
  // bitmap that this form's last composition handed over will do.
  const bool keptIsCurrent = keptSerial_ != 0 && heldSerial == keptSerial_;
  if (focusForm && !keptIsCurrent) return RefreshAction::Compose;
  // Something else was presented since (the caret blink): a composition would show the picture
  // without it.
  if (lastPresentation_ != composedPresentation_) return focusForm ? RefreshAction::PresentKept : RefreshAction::Compose;
  return RefreshAction::Skip;
}

}  // namespace quorlin::skin
