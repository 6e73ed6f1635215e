#include "ui/property_sheets.h"

namespace ui {
namespace {

constexpr char16_t kSheetTitle[] = u"OEM UI Page";

// Answers every reason as a sheet without pages of its own: nothing is added at
// initialisation and nothing is left to tidy at destroy.
void AnswerReason(host::PROPSHEETUI_INFO& info, host::LPARAM lParam, host::LONG_PTR otherResult) {
    switch (info.Reason) {
        case host::kPropSheetUiReasonInit:
        case host::kPropSheetUiReasonDestroy:
            info.Result = otherResult;
            break;
        case host::kPropSheetUiReasonGetInfoHeader: {
            auto* header = reinterpret_cast<host::PROPSHEETUI_INFO_HEADER*>(lParam);
            if (header != nullptr) header->pTitle = const_cast<char16_t*>(kSheetTitle);
            info.Result = 1;
            break;
        }
        case host::kPropSheetUiReasonSetResult: {
            const auto* set = reinterpret_cast<const host::SETRESULT_INFO*>(lParam);
            info.Result = set != nullptr ? set->Result : 0;
            break;
        }
        case host::kPropSheetUiReasonGetIcon:
            info.Result = 0;
            break;
        default:
            info.Result = otherResult;
            break;
    }
}

}  // namespace

void DocumentPropertySheets(const platform::Platform&, host::IPrintOemDriverUI*,
                            host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    AnswerReason(info, lParam, 0);
}

void DevicePropertySheets(const platform::Platform&, host::IPrintOemDriverUI*,
                          host::PROPSHEETUI_INFO& info, host::LPARAM lParam) {
    AnswerReason(info, lParam, 1);
}

}  // namespace ui
