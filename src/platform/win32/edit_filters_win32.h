// The four input filters of edit fields as window procedures. Each replaces the procedure of
// a single-line edit control, carries out the decisions of ui/edit_filters.h and hands
// everything else to the procedure it replaced.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace win32 {

LRESULT CALLBACK NameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DigitEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AccountIdEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AccountPasswordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// The window procedure of a filter.
WNDPROC EditFilterProc(ui::EditFilter filter);

// Replaces the edit's window procedure with the filter's and keeps the replaced one in the
// filter's slot of the module state. Installing a filter on an edit that already has it, or
// on a window that is gone, leaves the slot as it is.
void InstallEditFilter(HWND edit, ui::EditFilter filter);

}  // namespace win32
