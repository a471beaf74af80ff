// Quorlin: changes the display scaling of the signed-in user's Windows session.
#include <windows.h>

#include "app/tool_handlers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return quorlin::app::RunTool(); }
