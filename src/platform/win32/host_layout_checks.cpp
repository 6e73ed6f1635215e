// Proves, at compile time, that the portable declarations in plugin/host_interface.h have the
// host's binary layout on this target: every structure against the platform header's own
// declaration where mingw-w64 has one, and against sizes and offsets worked out from the
// published member lists where it has none. Calling conventions, result codes and selector
// values are held against the platform headers too. Nothing here generates code.
#include <windows.h>
// The headers below need the declarations of windows.h first.
#include <compstui.h>
#include <winddiui.h>
#include <wingdi.h>
#include <winspool.h>

#include <cstddef>
#include <type_traits>

#include "plugin/host_interface.h"

namespace {

constexpr bool kWide = sizeof(void*) == 8;
static_assert(sizeof(void*) == 8 || sizeof(void*) == 4);

// Same size and alignment as the platform's type.
#define CHECK_TYPE(T)                                                   \
    static_assert(sizeof(host::T) == sizeof(::T), #T ": size differs"); \
    static_assert(alignof(host::T) == alignof(::T), #T ": alignment differs")

// Same offset and size of a member as in the platform's type.
#define CHECK_MEMBER(T, m)                                                                  \
    static_assert(offsetof(host::T, m) == offsetof(::T, m), #T "::" #m ": offset differs"); \
    static_assert(sizeof(host::T::m) == sizeof(::T::m), #T "::" #m ": size differs")

// Size and alignment worked out from the published member list, per pointer width.
#define EXPECT_TYPE(T, size32, size64)                                                    \
    static_assert(sizeof(host::T) == (kWide ? (size64) : (size32)), #T ": size differs"); \
    static_assert(alignof(host::T) == sizeof(void*), #T ": alignment differs")

// Offset worked out from the published member list, per pointer width.
#define EXPECT_MEMBER(T, m, offset32, offset64)                              \
    static_assert(offsetof(host::T, m) == (kWide ? (offset64) : (offset32)), \
                  #T "::" #m ": offset differs")

// A method's full type, with the platform's COM calling convention spelled independently of
// HOST_CALL. A method that lost its convention would crash the 32-bit host on return.
#define CHECK_METHOD(I, method, ret, params)                                                  \
    static_assert(                                                                            \
        std::is_same_v<decltype(&host::I::method), ret(STDMETHODCALLTYPE host::I::*) params>, \
        #I "::" #method ": type or calling convention differs")

// ---------------------------------------------------------------------------------------------
// Scalars.

static_assert(sizeof(host::BYTE) == sizeof(::BYTE));
static_assert(sizeof(host::WORD) == sizeof(::WORD));
static_assert(sizeof(host::DWORD) == sizeof(::DWORD));
static_assert(sizeof(host::UINT) == sizeof(::UINT));
static_assert(sizeof(host::LONG) == sizeof(::LONG));
static_assert(sizeof(host::ULONG) == sizeof(::ULONG));
static_assert(sizeof(host::BOOL) == sizeof(::BOOL));
static_assert(sizeof(host::HRESULT) == sizeof(::HRESULT));
static_assert(sizeof(host::LONG_PTR) == sizeof(::LONG_PTR));
static_assert(sizeof(host::ULONG_PTR) == sizeof(::ULONG_PTR));
static_assert(sizeof(host::LPARAM) == sizeof(::LPARAM));
static_assert(sizeof(host::WPARAM) == sizeof(::WPARAM));
static_assert(sizeof(host::LRESULT) == sizeof(::LRESULT));
static_assert(sizeof(host::HANDLE) == sizeof(::HANDLE));
static_assert(sizeof(host::HWND) == sizeof(::HWND));
static_assert(sizeof(host::WCHAR) == sizeof(::WCHAR));
static_assert(std::is_signed_v<host::LONG> && std::is_signed_v<host::HRESULT>);
static_assert(std::is_unsigned_v<host::DWORD> && std::is_unsigned_v<host::ULONG_PTR>);

// ---------------------------------------------------------------------------------------------
// GUID layout and the identifiers the platform headers know.

CHECK_TYPE(GUID);
CHECK_MEMBER(GUID, Data1);
CHECK_MEMBER(GUID, Data2);
CHECK_MEMBER(GUID, Data3);
CHECK_MEMBER(GUID, Data4);

constexpr bool SameGuid(const host::GUID& ours, const ::GUID& theirs) {
    if (ours.Data1 != theirs.Data1 || ours.Data2 != theirs.Data2 || ours.Data3 != theirs.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (ours.Data4[i] != theirs.Data4[i]) return false;
    }
    return true;
}

static_assert(SameGuid(host::kIidUnknown, __uuidof(IUnknown)));
static_assert(SameGuid(host::kIidClassFactory, __uuidof(IClassFactory)));
static_assert(!(host::kIidUnknown == host::kIidClassFactory));

// ---------------------------------------------------------------------------------------------
// Result codes and selector values.

static_assert(host::kSOk == S_OK);
static_assert(host::kSFalse == S_FALSE);
static_assert(host::kENotImpl == E_NOTIMPL);
static_assert(host::kENoInterface == E_NOINTERFACE);
static_assert(host::kEPointer == E_POINTER);
static_assert(host::kEFail == E_FAIL);
static_assert(host::kEOutOfMemory == E_OUTOFMEMORY);
static_assert(host::kEInvalidArg == E_INVALIDARG);
static_assert(host::kClassENoAggregation == CLASS_E_NOAGGREGATION);
static_assert(host::kClassEClassNotAvailable == CLASS_E_CLASSNOTAVAILABLE);

static_assert(host::kDcEnumResolutions == DC_ENUMRESOLUTIONS);
static_assert(host::kDriverEventInitialize == DRIVER_EVENT_INITIALIZE);
static_assert(host::kDriverEventDelete == DRIVER_EVENT_DELETE);

static_assert(host::kPropSheetUiInfoVersion == PROPSHEETUI_INFO_VERSION);
static_assert(host::kPropSheetUiReasonInit == PROPSHEETUI_REASON_INIT);
static_assert(host::kPropSheetUiReasonGetInfoHeader == PROPSHEETUI_REASON_GET_INFO_HEADER);
static_assert(host::kPropSheetUiReasonDestroy == PROPSHEETUI_REASON_DESTROY);
static_assert(host::kPropSheetUiReasonSetResult == PROPSHEETUI_REASON_SET_RESULT);
static_assert(host::kPropSheetUiReasonGetIcon == PROPSHEETUI_REASON_GET_ICON);

static_assert(host::kCpsFuncAddPropSheetPageW == CPSFUNC_ADD_PROPSHEETPAGEW);
static_assert(host::kCpsFuncAddPfnPropSheetUiW == CPSFUNC_ADD_PFNPROPSHEETUIW);
static_assert(host::kCpsFuncSetResult == CPSFUNC_SET_RESULT);
static_assert(host::kCpsuiCancel == CPSUI_CANCEL);
static_assert(host::kCpsuiOk == CPSUI_OK);

static_assert(host::kOptifHide == static_cast<::DWORD>(OPTIF_HIDE));
static_assert(host::kOptifCallback == static_cast<::DWORD>(OPTIF_CALLBACK));
static_assert(host::kOptifChanged == static_cast<::DWORD>(OPTIF_CHANGED));
static_assert(host::kOptifDisabled == static_cast<::DWORD>(OPTIF_DISABLED));
static_assert(host::kOptifExtHide == static_cast<::DWORD>(OPTIF_EXT_HIDE));
static_assert(host::kOptifExtDisabled == static_cast<::DWORD>(OPTIF_EXT_DISABLED));
static_assert(host::kOptpfHide == OPTPF_HIDE);

static_assert(host::kDmPubCopiesCollate == DMPUB_COPIES_COLLATE);
static_assert(host::kDmPubDefSource == DMPUB_DEFSOURCE);
static_assert(host::kDmPubPrintQuality == DMPUB_PRINTQUALITY);
static_assert(host::kDmPubColor == DMPUB_COLOR);
static_assert(host::kDmPubDuplex == DMPUB_DUPLEX);
static_assert(host::kDmPubFormName == DMPUB_FORMNAME);
static_assert(host::kDmPubMediaType == DMPUB_MEDIATYPE);
static_assert(host::kDmPubNup == DMPUB_NUP);
static_assert(host::kDmPubUser == DMPUB_USER);

static_assert(host::kDmColorMonochrome == DMCOLOR_MONOCHROME);
static_assert(host::kDmColorColor == DMCOLOR_COLOR);
static_assert(host::kCchDeviceName == CCHDEVICENAME);
static_assert(host::kCchFormName == CCHFORMNAME);

// ---------------------------------------------------------------------------------------------
// Structures the platform headers declare.

CHECK_TYPE(DEVMODEW);
CHECK_MEMBER(DEVMODEW, dmDeviceName);
CHECK_MEMBER(DEVMODEW, dmSpecVersion);
CHECK_MEMBER(DEVMODEW, dmDriverVersion);
CHECK_MEMBER(DEVMODEW, dmSize);
CHECK_MEMBER(DEVMODEW, dmDriverExtra);
CHECK_MEMBER(DEVMODEW, dmFields);
CHECK_MEMBER(DEVMODEW, dmOrientation);
CHECK_MEMBER(DEVMODEW, dmPaperSize);
CHECK_MEMBER(DEVMODEW, dmPaperLength);
CHECK_MEMBER(DEVMODEW, dmPaperWidth);
CHECK_MEMBER(DEVMODEW, dmScale);
CHECK_MEMBER(DEVMODEW, dmCopies);
CHECK_MEMBER(DEVMODEW, dmDefaultSource);
CHECK_MEMBER(DEVMODEW, dmPrintQuality);
CHECK_MEMBER(DEVMODEW, dmColor);
CHECK_MEMBER(DEVMODEW, dmDuplex);
CHECK_MEMBER(DEVMODEW, dmYResolution);
CHECK_MEMBER(DEVMODEW, dmTTOption);
CHECK_MEMBER(DEVMODEW, dmCollate);
CHECK_MEMBER(DEVMODEW, dmFormName);
CHECK_MEMBER(DEVMODEW, dmLogPixels);
CHECK_MEMBER(DEVMODEW, dmBitsPerPel);
CHECK_MEMBER(DEVMODEW, dmPelsWidth);
CHECK_MEMBER(DEVMODEW, dmPelsHeight);
CHECK_MEMBER(DEVMODEW, dmNup);
CHECK_MEMBER(DEVMODEW, dmDisplayFrequency);
CHECK_MEMBER(DEVMODEW, dmICMMethod);
CHECK_MEMBER(DEVMODEW, dmICMIntent);
CHECK_MEMBER(DEVMODEW, dmMediaType);
CHECK_MEMBER(DEVMODEW, dmDitherType);
CHECK_MEMBER(DEVMODEW, dmReserved1);
CHECK_MEMBER(DEVMODEW, dmReserved2);
CHECK_MEMBER(DEVMODEW, dmPanningWidth);
CHECK_MEMBER(DEVMODEW, dmPanningHeight);

CHECK_TYPE(OPTPARAM);
CHECK_MEMBER(OPTPARAM, cbSize);
CHECK_MEMBER(OPTPARAM, Flags);
CHECK_MEMBER(OPTPARAM, Style);
CHECK_MEMBER(OPTPARAM, pData);
CHECK_MEMBER(OPTPARAM, IconID);
CHECK_MEMBER(OPTPARAM, lParam);
CHECK_MEMBER(OPTPARAM, dwReserved);

CHECK_TYPE(OPTTYPE);
CHECK_MEMBER(OPTTYPE, cbSize);
CHECK_MEMBER(OPTTYPE, Type);
CHECK_MEMBER(OPTTYPE, Flags);
CHECK_MEMBER(OPTTYPE, Count);
CHECK_MEMBER(OPTTYPE, BegCtrlID);
CHECK_MEMBER(OPTTYPE, pOptParam);
CHECK_MEMBER(OPTTYPE, Style);
CHECK_MEMBER(OPTTYPE, wReserved);
CHECK_MEMBER(OPTTYPE, dwReserved);

CHECK_TYPE(OPTITEM);
CHECK_MEMBER(OPTITEM, cbSize);
CHECK_MEMBER(OPTITEM, Level);
CHECK_MEMBER(OPTITEM, DlgPageIdx);
CHECK_MEMBER(OPTITEM, Flags);
CHECK_MEMBER(OPTITEM, UserData);
CHECK_MEMBER(OPTITEM, pName);
CHECK_MEMBER(OPTITEM, Sel);
CHECK_MEMBER(OPTITEM, pSel);
CHECK_MEMBER(OPTITEM, pExtChkBox);
CHECK_MEMBER(OPTITEM, pExtPush);
CHECK_MEMBER(OPTITEM, pOptType);
CHECK_MEMBER(OPTITEM, HelpIndex);
CHECK_MEMBER(OPTITEM, DMPubID);
CHECK_MEMBER(OPTITEM, UserItemID);
CHECK_MEMBER(OPTITEM, wReserved);
CHECK_MEMBER(OPTITEM, pOIExt);
CHECK_MEMBER(OPTITEM, dwReserved);

CHECK_TYPE(CPSUICBPARAM);
CHECK_MEMBER(CPSUICBPARAM, cbSize);
CHECK_MEMBER(CPSUICBPARAM, Reason);
CHECK_MEMBER(CPSUICBPARAM, hDlg);
CHECK_MEMBER(CPSUICBPARAM, pOptItem);
CHECK_MEMBER(CPSUICBPARAM, cOptItem);
CHECK_MEMBER(CPSUICBPARAM, Flags);
CHECK_MEMBER(CPSUICBPARAM, pCurItem);
CHECK_MEMBER(CPSUICBPARAM, OldSel);
CHECK_MEMBER(CPSUICBPARAM, pOldSel);
CHECK_MEMBER(CPSUICBPARAM, UserData);
CHECK_MEMBER(CPSUICBPARAM, Result);

CHECK_TYPE(PROPSHEETUI_INFO);
CHECK_MEMBER(PROPSHEETUI_INFO, cbSize);
CHECK_MEMBER(PROPSHEETUI_INFO, Version);
CHECK_MEMBER(PROPSHEETUI_INFO, Flags);
CHECK_MEMBER(PROPSHEETUI_INFO, Reason);
CHECK_MEMBER(PROPSHEETUI_INFO, hComPropSheet);
CHECK_MEMBER(PROPSHEETUI_INFO, pfnComPropSheet);
CHECK_MEMBER(PROPSHEETUI_INFO, lParamInit);
CHECK_MEMBER(PROPSHEETUI_INFO, UserData);
CHECK_MEMBER(PROPSHEETUI_INFO, Result);

CHECK_TYPE(PROPSHEETUI_INFO_HEADER);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, cbSize);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, Flags);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, pTitle);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, hWndParent);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, hInst);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, hIcon);
CHECK_MEMBER(PROPSHEETUI_INFO_HEADER, IconID);

CHECK_TYPE(SETRESULT_INFO);
CHECK_MEMBER(SETRESULT_INFO, cbSize);
CHECK_MEMBER(SETRESULT_INFO, wReserved);
CHECK_MEMBER(SETRESULT_INFO, hSetResult);
CHECK_MEMBER(SETRESULT_INFO, Result);

CHECK_TYPE(DRIVER_INFO_1W);
CHECK_MEMBER(DRIVER_INFO_1W, pName);

CHECK_TYPE(DRIVER_INFO_2W);
CHECK_MEMBER(DRIVER_INFO_2W, cVersion);
CHECK_MEMBER(DRIVER_INFO_2W, pName);
CHECK_MEMBER(DRIVER_INFO_2W, pEnvironment);
CHECK_MEMBER(DRIVER_INFO_2W, pDriverPath);
CHECK_MEMBER(DRIVER_INFO_2W, pDataFile);
CHECK_MEMBER(DRIVER_INFO_2W, pConfigFile);

CHECK_TYPE(DRIVER_INFO_3W);
CHECK_MEMBER(DRIVER_INFO_3W, cVersion);
CHECK_MEMBER(DRIVER_INFO_3W, pName);
CHECK_MEMBER(DRIVER_INFO_3W, pEnvironment);
CHECK_MEMBER(DRIVER_INFO_3W, pDriverPath);
CHECK_MEMBER(DRIVER_INFO_3W, pDataFile);
CHECK_MEMBER(DRIVER_INFO_3W, pConfigFile);
CHECK_MEMBER(DRIVER_INFO_3W, pHelpFile);
CHECK_MEMBER(DRIVER_INFO_3W, pDependentFiles);
CHECK_MEMBER(DRIVER_INFO_3W, pMonitorName);
CHECK_MEMBER(DRIVER_INFO_3W, pDefaultDataType);

// ---------------------------------------------------------------------------------------------
// Structures mingw-w64 does not declare: offsets from the published member lists.

EXPECT_TYPE(OEMUIOBJ, 8, 16);
EXPECT_MEMBER(OEMUIOBJ, cbSize, 0, 0);
EXPECT_MEMBER(OEMUIOBJ, pOemUIProcs, 4, 8);

EXPECT_TYPE(OEMDMPARAM, 36, 72);
EXPECT_MEMBER(OEMDMPARAM, cbSize, 0, 0);
EXPECT_MEMBER(OEMDMPARAM, pdriverobj, 4, 8);
EXPECT_MEMBER(OEMDMPARAM, hPrinter, 8, 16);
EXPECT_MEMBER(OEMDMPARAM, hModule, 12, 24);
EXPECT_MEMBER(OEMDMPARAM, pPublicDMIn, 16, 32);
EXPECT_MEMBER(OEMDMPARAM, pPublicDMOut, 20, 40);
EXPECT_MEMBER(OEMDMPARAM, pOEMDMIn, 24, 48);
EXPECT_MEMBER(OEMDMPARAM, pOEMDMOut, 28, 56);
EXPECT_MEMBER(OEMDMPARAM, cbBufSize, 32, 64);

EXPECT_TYPE(OEMCUIPPARAM, 60, 120);
EXPECT_MEMBER(OEMCUIPPARAM, cbSize, 0, 0);
EXPECT_MEMBER(OEMCUIPPARAM, poemuiobj, 4, 8);
EXPECT_MEMBER(OEMCUIPPARAM, hPrinter, 8, 16);
EXPECT_MEMBER(OEMCUIPPARAM, pPrinterName, 12, 24);
EXPECT_MEMBER(OEMCUIPPARAM, hModule, 16, 32);
EXPECT_MEMBER(OEMCUIPPARAM, hOEMHeap, 20, 40);
EXPECT_MEMBER(OEMCUIPPARAM, pPublicDM, 24, 48);
EXPECT_MEMBER(OEMCUIPPARAM, pOEMDM, 28, 56);
EXPECT_MEMBER(OEMCUIPPARAM, dwFlags, 32, 64);
EXPECT_MEMBER(OEMCUIPPARAM, pDrvOptItems, 36, 72);
EXPECT_MEMBER(OEMCUIPPARAM, cDrvOptItems, 40, 80);
EXPECT_MEMBER(OEMCUIPPARAM, pOEMOptItems, 44, 88);
EXPECT_MEMBER(OEMCUIPPARAM, cOEMOptItems, 48, 96);
EXPECT_MEMBER(OEMCUIPPARAM, pOEMUserData, 52, 104);
EXPECT_MEMBER(OEMCUIPPARAM, OEMCUIPCallback, 56, 112);

EXPECT_TYPE(OEMUIPSPARAM, 44, 88);
EXPECT_MEMBER(OEMUIPSPARAM, cbSize, 0, 0);
EXPECT_MEMBER(OEMUIPSPARAM, poemuiobj, 4, 8);
EXPECT_MEMBER(OEMUIPSPARAM, hPrinter, 8, 16);
EXPECT_MEMBER(OEMUIPSPARAM, pPrinterName, 12, 24);
EXPECT_MEMBER(OEMUIPSPARAM, hModule, 16, 32);
EXPECT_MEMBER(OEMUIPSPARAM, hOEMHeap, 20, 40);
EXPECT_MEMBER(OEMUIPSPARAM, pPublicDM, 24, 48);
EXPECT_MEMBER(OEMUIPSPARAM, pOEMDM, 28, 56);
EXPECT_MEMBER(OEMUIPSPARAM, pOEMUserData, 32, 64);
EXPECT_MEMBER(OEMUIPSPARAM, dwFlags, 36, 72);
EXPECT_MEMBER(OEMUIPSPARAM, pOemEntry, 40, 80);

EXPECT_TYPE(USERDATA, 44, 56);
EXPECT_MEMBER(USERDATA, dwSize, 0, 0);
EXPECT_MEMBER(USERDATA, dwItemID, 4, 8);
EXPECT_MEMBER(USERDATA, pKeyWordName, 8, 16);
EXPECT_MEMBER(USERDATA, dwReserved, 12, 24);

// ---------------------------------------------------------------------------------------------
// Callback types: pointer-sized, with the platform's callback convention.

static_assert(sizeof(host::PFNCOMPROPSHEET) == sizeof(::PFNCOMPROPSHEET));
static_assert(
    std::is_same_v<host::PFNCOMPROPSHEET, host::LONG_PTR(CALLBACK*)(host::HANDLE, host::DWORD,
                                                                    host::LPARAM, host::LPARAM)>);
// mingw-w64's compstui.h leaves the convention off PFNPROPSHEETUI, so this one is held
// against the published stdcall form rather than against the header.
static_assert(sizeof(host::PFNPROPSHEETUI) == sizeof(::PFNPROPSHEETUI));
static_assert(std::is_same_v<host::PFNPROPSHEETUI,
                             host::LONG(CALLBACK*)(host::PROPSHEETUI_INFO*, host::LPARAM)>);
static_assert(std::is_same_v<host::OEMCUIPCALLBACK,
                             host::LONG(CALLBACK*)(host::CPSUICBPARAM*, host::OEMCUIPPARAM*)>);

// ---------------------------------------------------------------------------------------------
// Interfaces: one vtable pointer, no data, and every method with the COM convention.

static_assert(sizeof(host::Unknown) == sizeof(void*));
static_assert(sizeof(host::ClassFactory) == sizeof(void*));
static_assert(sizeof(host::IPrintOemUI) == sizeof(void*));
static_assert(sizeof(host::IPrintOemDriverUI) == sizeof(void*));
static_assert(std::is_abstract_v<host::IPrintOemUI> && std::is_abstract_v<host::ClassFactory>);
static_assert(!std::has_virtual_destructor_v<host::Unknown>);

CHECK_METHOD(Unknown, QueryInterface, host::HRESULT, (const host::GUID&, void**));
CHECK_METHOD(Unknown, AddRef, host::ULONG, ());
CHECK_METHOD(Unknown, Release, host::ULONG, ());

CHECK_METHOD(ClassFactory, CreateInstance, host::HRESULT,
             (host::Unknown*, const host::GUID&, void**));
CHECK_METHOD(ClassFactory, LockServer, host::HRESULT, (host::BOOL));

CHECK_METHOD(IPrintOemUI, GetInfo, host::HRESULT, (host::DWORD, void*, host::DWORD, host::DWORD*));
CHECK_METHOD(IPrintOemUI, DevMode, host::HRESULT, (host::DWORD, host::OEMDMPARAM*));
CHECK_METHOD(IPrintOemUI, PublishDriverInterface, host::HRESULT, (host::Unknown*));
CHECK_METHOD(IPrintOemUI, CommonUIProp, host::HRESULT, (host::DWORD, host::OEMCUIPPARAM*));
CHECK_METHOD(IPrintOemUI, DocumentPropertySheets, host::HRESULT,
             (host::PROPSHEETUI_INFO*, host::LPARAM));
CHECK_METHOD(IPrintOemUI, DevicePropertySheets, host::HRESULT,
             (host::PROPSHEETUI_INFO*, host::LPARAM));
CHECK_METHOD(IPrintOemUI, DevQueryPrintEx, host::HRESULT,
             (host::OEMUIOBJ*, void*, host::DEVMODEW*, void*));
CHECK_METHOD(IPrintOemUI, DeviceCapabilities, host::HRESULT,
             (host::OEMUIOBJ*, host::HANDLE, host::WCHAR*, host::WORD, void*, host::DEVMODEW*,
              void*, host::DWORD, host::DWORD*));
CHECK_METHOD(IPrintOemUI, UpgradePrinter, host::HRESULT, (host::DWORD, host::BYTE*));
CHECK_METHOD(IPrintOemUI, PrinterEvent, host::HRESULT,
             (host::WCHAR*, int, host::DWORD, host::LPARAM));
CHECK_METHOD(IPrintOemUI, DriverEvent, host::HRESULT,
             (host::DWORD, host::DWORD, host::BYTE*, host::LPARAM));
CHECK_METHOD(IPrintOemUI, QueryColorProfile, host::HRESULT,
             (host::HANDLE, host::OEMUIOBJ*, host::DEVMODEW*, void*, host::ULONG, void*,
              host::ULONG*, host::DWORD*));
CHECK_METHOD(IPrintOemUI, FontInstallerDlgProc, host::HRESULT,
             (host::HWND, host::UINT, host::WPARAM, host::LPARAM));
CHECK_METHOD(IPrintOemUI, UpdateExternalFonts, host::HRESULT,
             (host::HANDLE, host::HANDLE, host::WCHAR*));

CHECK_METHOD(IPrintOemDriverUI, DrvGetDriverSetting, host::HRESULT,
             (void*, const char*, void*, host::DWORD, host::DWORD*, host::DWORD*));
CHECK_METHOD(IPrintOemDriverUI, DrvUpgradeRegistrySetting, host::HRESULT,
             (host::HANDLE, const char*, const char*));
CHECK_METHOD(IPrintOemDriverUI, DrvUpdateUISetting, host::HRESULT,
             (void*, void*, host::DWORD, host::DWORD));

// The message parameters of FontInstallerDlgProc have the widths of a dialog procedure's.
static_assert(sizeof(host::UINT) == sizeof(::UINT) && sizeof(host::WPARAM) == sizeof(::WPARAM));

#undef CHECK_TYPE
#undef CHECK_MEMBER
#undef EXPECT_TYPE
#undef EXPECT_MEMBER
#undef CHECK_METHOD

}  // namespace
