// What a layered form's composition is made of, and what the layer remembers of the last picture it
// presented on a form, so that a refresh with nothing changed can be skipped. Pure bookkeeping: the
// Win32 side reads the windows and draws; this decides.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::skin {

// Everything one skinned child contributes to the composition. A picture is known by its handle:
// the layer never changes a picture's pixels in place (a new look is always a new picture), so the
// same handle draws the same pixels.
struct ChildFingerprint {
  std::uintptr_t window = 0;  // the child window itself: the composition draws the children listed
  int type = 0;
  int left = 0;  // place on the form (client coordinates) and extent
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
  std::intptr_t backType = 0;    // 0 where it cannot matter (BackTypeMatters)
  std::intptr_t drawState = 0;   // image buttons
  std::uintptr_t picture = 0;    // StateImage of a button, "PngControl_BackImage" of the others
  // Text boxes only.
  std::string text;
  std::uintptr_t font = 0;
  std::vector<unsigned char> fontDescription;  // the font's LOGFONT, byte for byte
  std::intptr_t textColor = 0;
  std::intptr_t backColor = 0;
  std::intptr_t backAlpha = 0;
  std::intptr_t orderColor = 0;
  std::intptr_t orderAlpha = 0;

  friend bool operator==(const ChildFingerprint&, const ChildFingerprint&) = default;
};

// The whole input of one composition: the form's extent and background, then the skinned children
// in the order they are drawn.
struct FormFingerprint {
  int width = 0;
  int height = 0;
  std::uintptr_t background = 0;
  std::vector<ChildFingerprint> children;

  friend bool operator==(const FormFingerprint&, const FormFingerprint&) = default;
};

// Whether a picture of (iw, ih) in a control of w x h is placed differently by the back types: when it
// is not (a picture of the control's own size), the back type cannot change the composition.
bool BackTypeMatters(double iw, double ih, int w, int h);

// What a refresh of a form has to do.
enum class RefreshAction {
  Skip,         // the screen already shows what a composition would show
  PresentKept,  // FocusComposition is what a composition would show: present it again, no caret
  Compose,      // compose and present
};

// The skinned children a refresh of the form found, in window order, and the child-list generation
// current when it started looking (0: none found, or not to be reused).
struct ChildList {
  std::uint64_t generation = 0;
  std::uintptr_t first = 0;  // the form's first child window then, skinned or not
  std::vector<std::uintptr_t> windows;
};

// The layer's memory of one form. Presentations are numbered by the caller, in the order they
// happen; serials number the bitmaps handed over as FocusComposition.
class FrameMemo {
 public:
  // Every picture presented on the form, by whatever operation.
  void Presented(std::uint64_t presentation);
  // A full composition described by `fingerprint` has just been presented as `presentation`.
  void Composed(FormFingerprint fingerprint, std::uint64_t presentation);
  // That composition stayed as FocusComposition under `serial`.
  void Kept(std::uint64_t serial);
  // FocusComposition was presented again without the caret: the screen shows the composition.
  void ShownAgain();
  // Nothing is known any more about what the window shows.
  void Forget();

  // `focusForm`: the form is FocusForm, whose refresh must leave FocusComposition valid.
  // `heldSerial`: serial of the bitmap that FocusComposition holds now, 0 if unknown.
  RefreshAction Decide(const FormFingerprint& now, bool focusForm, std::uint64_t heldSerial) const;

  ChildList& Children() { return children_; }

 private:
  bool known_ = false;
  FormFingerprint fingerprint_;
  std::uint64_t composedPresentation_ = 0;
  std::uint64_t lastPresentation_ = 0;
  std::uint64_t keptSerial_ = 0;
  ChildList children_;
};

}  // namespace quorlin::skin
