// The four input filters of edit fields as window subclasses. Each is installed on a
// single-line edit control with SetWindowSubclass, carries out the decisions of
// ui/edit_filters.h and hands everything else to the control's own procedure. Each edit keeps
// its own state (the paste flag, in the subclass's reference data), so that fields of two
// dialogs, also on two threads, never share it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/controls.h"

namespace win32 {

LRESULT CALLBACK NameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR data) noexcept;
LRESULT CALLBACK DigitEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR data) noexcept;
LRESULT CALLBACK AccountIdEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data) noexcept;
LRESULT CALLBACK AccountPasswordEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data) noexcept;

// The subclass procedure of a filter.
SUBCLASSPROC EditFilterProc(ui::EditFilter filter);

// Installs the filter on the edit. Installing it again on the same edit only clears its
// paste flag; a null window is ignored. The filter removes itself when the edit goes.
void InstallEditFilter(HWND edit, ui::EditFilter filter);

}  // namespace win32
