// Handlers whose behaviour arrives with the skinning, level selection, Apply and log-off code.
#include "app/tool_handlers.h"

namespace quorlin::app {

void PrepareSkin() {}
void DressMainWindow() {}
void OnRefreshTick() {}
void OnSelect100() {}
void OnSelect125() {}
void OnSelect150() {}
void OnSelect200() {}
void OnSelect250() {}
void OnApplyClick() {}
void OnLogOffClick() {}

}  // namespace quorlin::app
