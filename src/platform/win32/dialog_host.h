// Dialogs and pages on Win32: the Controls adapter over a dialog window and the one dialog
// procedure that hands window messages to presenters.
#pragma once

#include <windows.h>

#include "platform/ports.h"
#include "ui/controls.h"
#include "ui/presenter.h"

namespace win32 {

class Win32Controls final : public ui::Controls {
  public:
    Win32Controls(HWND dialog, HMODULE module) : dialog_(dialog), module_(module) {}

    void* Window() const override { return dialog_; }
    void SetCaption(std::u16string_view text) override;
    void RemoveHelpButton() override;
    void EndDialog(int result) override;
    std::vector<ui::ChildControl> Children() override;
    void SetChildText(void* child, std::u16string_view text) override;
    void EnableChild(void* child, bool enable) override;
    std::u16string Text(int id) override;
    void SetText(int id, std::u16string_view text) override;
    void Show(int id, bool show) override;
    void Enable(int id, bool enable) override;
    bool IsEnabled(int id) override;
    bool IsVisible(int id) override;
    bool IsChecked(int id) override;
    void SetCheck(int id, bool checked) override;
    void SetLimit(int id, int units) override;
    void ClearItems(int id) override;
    int AddItem(int id, std::u16string_view text) override;
    void SetSelection(int id, int index) override;
    int Selection(int id) override;
    void SetUpDownRange(int id, int low, int high) override;
    void SetUpDownPosition(int id, int position) override;
    int UpDownPosition(int id) override;
    void* CreateTooltips(bool rightToLeft) override;
    void AddTooltip(void* tooltips, const ui::ChildControl& child,
                    std::u16string_view text) override;
    void InstallEditFilter(int id, ui::EditFilter filter) override;
    int MessageBox(std::u16string_view text, std::u16string_view caption,
                   std::uint32_t flags) override;
    void Beep() override;

  private:
    bool IsComboBox(HWND control) const;

    HWND dialog_;
    HMODULE module_;
};

// The dialog procedure of modal plug-in dialogs: DialogBoxParamW's parameter is the
// ui::Presenter, kept in DWLP_USER from WM_INITDIALOG on.
INT_PTR CALLBACK PresenterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog procedure of the Troubleshooting page: the page's parameter is the sheet's
// session; the page's presenter is made at WM_INITDIALOG and ends with the window.
INT_PTR CALLBACK TroublePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The platform the page presenters are given (the DLL's own).
void SetPagePlatform(const platform::Platform* platform);

// Runs a modal plug-in dialog from the module's template inside the module's activation
// context; -1 when it cannot be created.
INT_PTR RunModalDialog(HMODULE module, HANDLE activationContext, int templateId, HWND owner,
                       ui::Presenter& presenter);

}  // namespace win32
