#pragma once
#include <windows.h>
#include <string>

std::string ControlText(HWND control);
std::string DlgItemText(HWND dialog, int id);
// FALSE when the control has no font of its own (the system font).
bool ControlFont(HWND control, LOGFONTA& font);
std::string RealFaceName(HWND control);
