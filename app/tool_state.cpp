#include "app/tool_state.h"

namespace quorlin::app {

ToolState& state() {
  static ToolState instance;
  return instance;
}

}  // namespace quorlin::app
