// The badges that say which level the session runs at and which one waits for the next sign-in,
// and the notice that warns while the selected level leaves a display too small a desktop.
#pragma once

namespace quorlin::app {

// Reads the session's dots per inch from the screen and the value stored for the next sign-in,
// and puts the badges of the main window in step with them (without composing: the caller
// refreshes the form). Window thread.
void ShowLevelBadges();

// Shows the warning in the notice label while the selected level does not fit a connected display
// and hides it once a fitting level is selected. From the start of Apply on, for another user
// than the one signed in, and while another notice stands (a failure), the notice is left alone.
void ShowFitWarning();

}  // namespace quorlin::app
