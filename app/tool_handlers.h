// The tool's event handlers, bound to their windows and controls by the window templates.
#pragma once

namespace quorlin::app {

// Start-up and windows.
void OnMainCreated();
void OnOverlayCreated();
void OnMainMoved();
void OnClose();

// Skinning of the main window: PrepareSkin runs before the first window exists, DressMainWindow from
// OnMainCreated; OnRefreshTick recomposes the main window on every tick of the refresh timer.
void PrepareSkin();
void DressMainWindow();
void OnRefreshTick();

// Level selection, one handler per radio.
void OnSelect100();
void OnSelect125();
void OnSelect150();
void OnSelect200();
void OnSelect250();

// Apply and log off.
void OnApplyClick();
void OnLogOffClick();

// Registers both window templates with the window service and opens MainWindow; ends the program
// with the fatal error when the main window cannot be created.
void OpenTool();
// The program's start: limits the DLL search to the system directory before anything can load a
// library by name (GDI+, Common Controls 6 and the shell's uxtheme.dll, dwmapi.dll...), then OpenTool.
void StartTool();
// StartTool, then the message loop until MainWindow is gone; returns the loop's exit code. The first
// thing WinMain does.
int RunTool();

}  // namespace quorlin::app
