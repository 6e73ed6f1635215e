// The host's side of the plug-in boundary: the structures the printer driver and the common
// property sheet code hand to the plug-in, and the COM interfaces both sides call through.
//
// Everything here is declared with the host's binary layout at the native pointer width, so
// the core can read and fill these records directly while staying free of Windows headers.
// The Windows builds prove the layouts against the platform headers in
// platform/win32/host_layout_checks.cpp.
//
// Every constant carries a k-prefixed name because the Windows headers define most of the
// original names as macros, and the Win32 layer includes those headers next to this one.
#pragma once

#include <cstddef>
#include <cstdint>

// The calling convention of COM methods and host callbacks: stdcall on 32-bit Windows, the
// one platform convention everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define HOST_CALL __stdcall
#else
#define HOST_CALL
#endif

// wingdi.h maps DeviceCapabilities onto DeviceCapabilitiesA/W. That would silently rename
// the interface method below in any file that sees the macro, so it is dropped here; Win32
// code calls DeviceCapabilitiesW by its explicit name. Include this header after the Windows
// headers.
#ifdef DeviceCapabilities
#undef DeviceCapabilities
#endif

namespace host {

// ---------------------------------------------------------------------------------------------
// Scalar types, with the widths the host uses on every Windows target.

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;
using HANDLE = void*;
using HWND = void*;
// Text crossing the boundary is UTF-16 throughout the core.
using WCHAR = char16_t;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

// ---------------------------------------------------------------------------------------------
// Result codes.

inline constexpr HRESULT kSOk = 0;
inline constexpr HRESULT kSFalse = 1;
inline constexpr HRESULT kENotImpl = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT kENoInterface = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT kEPointer = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT kEFail = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT kEOutOfMemory = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT kEInvalidArg = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT kClassENoAggregation = static_cast<HRESULT>(0x80040110);
inline constexpr HRESULT kClassEClassNotAvailable = static_cast<HRESULT>(0x80040111);

// ---------------------------------------------------------------------------------------------
// Class and interface identifiers.

// This plug-in's class.
inline constexpr GUID kClsidPlugIn{
    0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
inline constexpr GUID kIidUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kIidClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kIidPrintOemUI{
    0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
inline constexpr GUID kIidPrintOemDriverUI{
    0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};

// ---------------------------------------------------------------------------------------------
// Mode and selector values.

// IPrintOemUI::GetInfo modes.
inline constexpr DWORD kOemGiGetSignature = 1;
inline constexpr DWORD kOemGiGetInterfaceVersion = 2;
inline constexpr DWORD kOemGiGetVersion = 3;
inline constexpr DWORD kOemGiGetPublisherInfo = 4;

// IPrintOemUI::DevMode modes.
inline constexpr DWORD kOemDmSize = 1;
inline constexpr DWORD kOemDmDefault = 2;
inline constexpr DWORD kOemDmConvert = 3;
inline constexpr DWORD kOemDmMerge = 4;

// IPrintOemUI::CommonUIProp modes.
inline constexpr DWORD kOemCuipDocProp = 1;
inline constexpr DWORD kOemCuipPrnProp = 2;

// DeviceCapabilities selectors, and the failure answer of a capability query.
inline constexpr WORD kDcEnumResolutions = 13;
inline constexpr DWORD kGdiError = 0xFFFFFFFF;

// QueryColorProfile: the profile asked for, and how the answer is delivered.
inline constexpr ULONG kQcpDeviceProfile = 0;
inline constexpr ULONG kQcpSourceProfile = 1;
inline constexpr DWORD kQcpProfileMemory = 1;
inline constexpr DWORD kQcpProfileDisk = 2;

// DriverEvent events.
inline constexpr DWORD kDriverEventInitialize = 1;
inline constexpr DWORD kDriverEventDelete = 2;

// PROPSHEETUI_INFO version and reasons.
inline constexpr WORD kPropSheetUiInfoVersion = 0x0100;
inline constexpr WORD kPropSheetUiReasonInit = 0;
inline constexpr WORD kPropSheetUiReasonGetInfoHeader = 1;
inline constexpr WORD kPropSheetUiReasonDestroy = 2;
inline constexpr WORD kPropSheetUiReasonSetResult = 3;
inline constexpr WORD kPropSheetUiReasonGetIcon = 4;
inline constexpr WORD kPropSheetUiReasonBeforeInit = 5;

// Functions of the property sheet service reached through PFNCOMPROPSHEET.
inline constexpr DWORD kCpsFuncAddPropSheetPageW = 1;
inline constexpr DWORD kCpsFuncAddPfnPropSheetUiW = 5;
inline constexpr DWORD kCpsFuncSetResult = 9;

// Property sheet results.
inline constexpr LONG kCpsuiCancel = 0;
inline constexpr LONG kCpsuiOk = 1;

// OPTITEM::Flags bits.
inline constexpr DWORD kOptifCollapse = 0x00000001;
inline constexpr DWORD kOptifHide = 0x00000002;
inline constexpr DWORD kOptifCallback = 0x00000004;
inline constexpr DWORD kOptifChanged = 0x00000008;
inline constexpr DWORD kOptifDisabled = 0x00000020;
inline constexpr DWORD kOptifExtHide = 0x00000080;
inline constexpr DWORD kOptifExtDisabled = 0x00000100;

// OPTPARAM::Flags bits.
inline constexpr BYTE kOptpfHide = 0x01;

// OPTTYPE::Type, OPTTYPE::Style and OPTPARAM::Style of a push button that calls back.
inline constexpr BYTE kTvotPushButton = 8;
inline constexpr WORD kOtsPushEnableAlways = 0x0080;
inline constexpr BYTE kPushButtonTypeCallback = 1;
inline constexpr ULONG_PTR kIdiCpsuiRunDialog = 64074;

// CPSUICBPARAM::Reason values and the answers of item callbacks.
inline constexpr WORD kCpsuicbReasonSelChanged = 0;
inline constexpr WORD kCpsuicbReasonPushButton = 1;
inline constexpr WORD kCpsuicbReasonExtPush = 5;
inline constexpr WORD kCpsuicbReasonApplyNow = 6;
inline constexpr WORD kCpsuicbReasonOptItemSetFocus = 7;
inline constexpr WORD kCpsuicbReasonSetActive = 10;
inline constexpr WORD kCpsuicbReasonKillActive = 11;
inline constexpr LONG kCpsuicbActionNone = 0;
inline constexpr LONG kCpsuicbActionOptifChanged = 1;
inline constexpr LONG kCpsuicbActionReinitItems = 2;

// DEVMODEW::dmCollate.
inline constexpr short kDmCollateTrue = 1;

// OPTITEM::DMPubID values: the public DEVMODEW fields an item stands for.
inline constexpr BYTE kDmPubCopiesCollate = 3;
inline constexpr BYTE kDmPubDefSource = 4;
inline constexpr BYTE kDmPubPrintQuality = 5;
inline constexpr BYTE kDmPubColor = 6;
inline constexpr BYTE kDmPubDuplex = 7;
inline constexpr BYTE kDmPubFormName = 9;
inline constexpr BYTE kDmPubMediaType = 12;
inline constexpr BYTE kDmPubNup = 16;
inline constexpr BYTE kDmPubUser = 100;

// DEVMODEW::dmColor values.
inline constexpr short kDmColorMonochrome = 1;
inline constexpr short kDmColorColor = 2;

// Character counts of the fixed DEVMODEW name fields.
inline constexpr std::size_t kCchDeviceName = 32;
inline constexpr std::size_t kCchFormName = 32;

// ---------------------------------------------------------------------------------------------
// Structures.

// The public device mode. The plug-in only deals with printers, so the union of printer and
// display fields after dmFields is declared in its printer form, and the dmDisplayFlags/dmNup
// union as dmNup.
struct DEVMODEW {
    WCHAR dmDeviceName[kCchDeviceName];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    short dmOrientation;
    short dmPaperSize;
    short dmPaperLength;
    short dmPaperWidth;
    short dmScale;
    short dmCopies;
    short dmDefaultSource;
    short dmPrintQuality;
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    WCHAR dmFormName[kCchFormName];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};

// Records of the property sheet service the plug-in only passes by address.
struct EXTCHKBOX;
struct EXTPUSH;
struct OIEXT;

// One selectable value of an option item.
struct OPTPARAM {
    WORD cbSize;
    BYTE Flags;
    BYTE Style;
    WCHAR* pData;
    ULONG_PTR IconID;
    LPARAM lParam;
    ULONG_PTR dwReserved[2];
};

// The kind of control an option item shows and its list of values.
struct OPTTYPE {
    WORD cbSize;
    BYTE Type;
    BYTE Flags;
    WORD Count;
    WORD BegCtrlID;
    OPTPARAM* pOptParam;
    WORD Style;
    WORD wReserved[3];
    ULONG_PTR dwReserved[3];
};

// One entry of the option tree on a property sheet.
struct OPTITEM {
    WORD cbSize;
    BYTE Level;
    BYTE DlgPageIdx;
    DWORD Flags;
    ULONG_PTR UserData;
    WCHAR* pName;
    union {
        LONG Sel;
        WCHAR* pSel;
    };
    union {
        EXTCHKBOX* pExtChkBox;
        EXTPUSH* pExtPush;
    };
    OPTTYPE* pOptType;
    DWORD HelpIndex;
    BYTE DMPubID;
    BYTE UserItemID;
    WORD wReserved;
    OIEXT* pOIExt;
    ULONG_PTR dwReserved[3];
};

// What the property sheet service passes to an option item callback.
struct CPSUICBPARAM {
    WORD cbSize;
    WORD Reason;
    HWND hDlg;
    OPTITEM* pOptItem;
    WORD cOptItem;
    WORD Flags;
    OPTITEM* pCurItem;
    union {
        LONG OldSel;
        WCHAR* pOldSel;
    };
    ULONG_PTR UserData;
    ULONG_PTR Result;
};

// The callback of a push-button item (PUSHBUTTON_TYPE_CALLBACK): OPTPARAM::pData holds it.
using PushButtonProc = LONG(HOST_CALL*)(CPSUICBPARAM* pCPSUICBParam);

// The property sheet service's entry point, handed to page callbacks in PROPSHEETUI_INFO.
using PFNCOMPROPSHEET = LONG_PTR(HOST_CALL*)(HANDLE hComPropSheet, DWORD Function, LPARAM lParam1,
                                             LPARAM lParam2);

struct PROPSHEETUI_INFO {
    WORD cbSize;
    WORD Version;
    WORD Flags;
    WORD Reason;
    HANDLE hComPropSheet;
    PFNCOMPROPSHEET pfnComPropSheet;
    LPARAM lParamInit;
    ULONG_PTR UserData;
    ULONG_PTR Result;
};

// A page creation callback, as added with kCpsFuncAddPfnPropSheetUiW.
using PFNPROPSHEETUI = LONG(HOST_CALL*)(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam);

// Filled in for kPropSheetUiReasonGetInfoHeader.
struct PROPSHEETUI_INFO_HEADER {
    WORD cbSize;
    WORD Flags;
    WCHAR* pTitle;
    HWND hWndParent;
    HANDLE hInst;
    union {
        HANDLE hIcon;
        ULONG_PTR IconID;
    };
};

// Passed with kPropSheetUiReasonSetResult.
struct SETRESULT_INFO {
    WORD cbSize;
    WORD wReserved;
    HANDLE hSetResult;
    LRESULT Result;
};

// The driver's per-call context. Its members are the host's own; the plug-in only hands the
// pointer back to IPrintOemDriverUI.
struct OEMUIOBJ {
    DWORD cbSize;
    void* pOemUIProcs;
};

// IPrintOemUI::DevMode's parameter block.
struct OEMDMPARAM {
    DWORD cbSize;
    void* pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    DEVMODEW* pPublicDMIn;
    DEVMODEW* pPublicDMOut;
    void* pOEMDMIn;
    void* pOEMDMOut;
    DWORD cbBufSize;
};

struct OEMCUIPPARAM;

// The callback the plug-in names in OEMCUIPPARAM to hear about changes to its own items.
using OEMCUIPCALLBACK = LONG(HOST_CALL*)(CPSUICBPARAM* pCallbackParam, OEMCUIPPARAM* pOemParam);

// IPrintOemUI::CommonUIProp's parameter block.
struct OEMCUIPPARAM {
    DWORD cbSize;
    OEMUIOBJ* poemuiobj;
    HANDLE hPrinter;
    WCHAR* pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    void* pOEMDM;
    DWORD dwFlags;
    OPTITEM* pDrvOptItems;
    DWORD cDrvOptItems;
    OPTITEM* pOEMOptItems;
    DWORD cOEMOptItems;
    void* pOEMUserData;
    OEMCUIPCALLBACK OEMCUIPCallback;
};

// The parameter block reached through lParamInit in Document/DevicePropertySheets.
struct OEMUIPSPARAM {
    DWORD cbSize;
    OEMUIOBJ* poemuiobj;
    HANDLE hPrinter;
    WCHAR* pPrinterName;
    HANDLE hModule;
    HANDLE hOEMHeap;
    DEVMODEW* pPublicDM;
    void* pOEMDM;
    void* pOEMUserData;
    DWORD dwFlags;
    void* pOemEntry;
};

// What the driver keeps in OPTITEM::UserData of the items it builds itself: pKeyWordName is
// the non-localized name of the printer feature the item stands for.
struct USERDATA {
    DWORD dwSize;
    ULONG_PTR dwItemID;
    char* pKeyWordName;
    DWORD dwReserved[8];
};

// The driver description DriverEvent receives, by level. pName sits at the same place in
// levels 2 and 3.
struct DRIVER_INFO_1W {
    WCHAR* pName;
};

struct DRIVER_INFO_2W {
    DWORD cVersion;
    WCHAR* pName;
    WCHAR* pEnvironment;
    WCHAR* pDriverPath;
    WCHAR* pDataFile;
    WCHAR* pConfigFile;
};

struct DRIVER_INFO_3W {
    DWORD cVersion;
    WCHAR* pName;
    WCHAR* pEnvironment;
    WCHAR* pDriverPath;
    WCHAR* pDataFile;
    WCHAR* pConfigFile;
    WCHAR* pHelpFile;
    WCHAR* pDependentFiles;
    WCHAR* pMonitorName;
    WCHAR* pDefaultDataType;
};

// ---------------------------------------------------------------------------------------------
// Interfaces. Pure virtual methods only and no virtual destructor, so the vtable has exactly
// the COM slots in declaration order. The destructors are protected: objects go away through
// Release, never through delete on an interface pointer.

class Unknown {
  public:
    virtual HRESULT HOST_CALL QueryInterface(const GUID& iid, void** object) = 0;
    virtual ULONG HOST_CALL AddRef() = 0;
    virtual ULONG HOST_CALL Release() = 0;

  protected:
    ~Unknown() = default;
};

class ClassFactory : public Unknown {
  public:
    virtual HRESULT HOST_CALL CreateInstance(Unknown* outer, const GUID& iid, void** object) = 0;
    virtual HRESULT HOST_CALL LockServer(BOOL lock) = 0;

  protected:
    ~ClassFactory() = default;
};

// Implemented by the plug-in, called by the driver's user interface.
class IPrintOemUI : public Unknown {
  public:
    virtual HRESULT HOST_CALL GetInfo(DWORD dwMode, void* pBuffer, DWORD cbSize,
                                      DWORD* pcbNeeded) = 0;
    virtual HRESULT HOST_CALL DevMode(DWORD dwMode, OEMDMPARAM* pOemDMParam) = 0;
    virtual HRESULT HOST_CALL PublishDriverInterface(Unknown* pIUnknown) = 0;
    virtual HRESULT HOST_CALL CommonUIProp(DWORD dwMode, OEMCUIPPARAM* pOemCUIPParam) = 0;
    virtual HRESULT HOST_CALL DocumentPropertySheets(PROPSHEETUI_INFO* pPSUIInfo,
                                                     LPARAM lParam) = 0;
    virtual HRESULT HOST_CALL DevicePropertySheets(PROPSHEETUI_INFO* pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT HOST_CALL DevQueryPrintEx(OEMUIOBJ* poemuiobj, void* pDQPInfo,
                                              DEVMODEW* pPublicDM, void* pOEMDM) = 0;
    virtual HRESULT HOST_CALL DeviceCapabilities(OEMUIOBJ* poemuiobj, HANDLE hPrinter,
                                                 WCHAR* pDeviceName, WORD wCapability,
                                                 void* pOutput, DEVMODEW* pPublicDM, void* pOEMDM,
                                                 DWORD dwOld, DWORD* dwResult) = 0;
    virtual HRESULT HOST_CALL UpgradePrinter(DWORD dwLevel, BYTE* pDriverUpgradeInfo) = 0;
    virtual HRESULT HOST_CALL PrinterEvent(WCHAR* pPrinterName, int iDriverEvent, DWORD dwFlags,
                                           LPARAM lParam) = 0;
    virtual HRESULT HOST_CALL DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, BYTE* pDriverInfo,
                                          LPARAM lParam) = 0;
    virtual HRESULT HOST_CALL QueryColorProfile(HANDLE hPrinter, OEMUIOBJ* poemuiobj,
                                                DEVMODEW* pPublicDM, void* pOEMDM,
                                                ULONG ulQueryMode, void* pvProfileData,
                                                ULONG* pcbProfileData, DWORD* pflProfileData) = 0;
    virtual HRESULT HOST_CALL FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam,
                                                   LPARAM lParam) = 0;
    virtual HRESULT HOST_CALL UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap,
                                                  WCHAR* pwstrCartridges) = 0;

  protected:
    ~IPrintOemUI() = default;
};

// Implemented by the driver, handed to the plug-in through PublishDriverInterface.
class IPrintOemDriverUI : public Unknown {
  public:
    virtual HRESULT HOST_CALL DrvGetDriverSetting(void* pci, const char* Feature, void* pOutput,
                                                  DWORD cbSize, DWORD* pcbNeeded,
                                                  DWORD* pdwOptionsReturned) = 0;
    virtual HRESULT HOST_CALL DrvUpgradeRegistrySetting(HANDLE hPrinter, const char* pFeature,
                                                        const char* pOption) = 0;
    virtual HRESULT HOST_CALL DrvUpdateUISetting(void* pci, void* pOptItem,
                                                 DWORD dwPreviousSelection, DWORD dwMode) = 0;

  protected:
    ~IPrintOemDriverUI() = default;
};

// ---------------------------------------------------------------------------------------------
// Sizes that hold at a given pointer width on every platform, so the native build catches a
// slip in a declaration before a Windows build does.

static_assert(sizeof(GUID) == 16);
static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(sizeof(Unknown) == sizeof(void*));

static_assert(sizeof(void*) != 8 || sizeof(OPTPARAM) == 48);
static_assert(sizeof(void*) != 8 || sizeof(OPTTYPE) == 48);
static_assert(sizeof(void*) != 8 || sizeof(OPTITEM) == 88);
static_assert(sizeof(void*) != 8 || sizeof(CPSUICBPARAM) == 64);
static_assert(sizeof(void*) != 8 || sizeof(PROPSHEETUI_INFO) == 48);
static_assert(sizeof(void*) != 8 || sizeof(OEMDMPARAM) == 72);
static_assert(sizeof(void*) != 8 || sizeof(OEMCUIPPARAM) == 120);
static_assert(sizeof(void*) != 8 || sizeof(USERDATA) == 56);

static_assert(sizeof(void*) != 4 || sizeof(OPTPARAM) == 24);
static_assert(sizeof(void*) != 4 || sizeof(OPTTYPE) == 32);
static_assert(sizeof(void*) != 4 || sizeof(OPTITEM) == 52);
static_assert(sizeof(void*) != 4 || sizeof(CPSUICBPARAM) == 32);
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETUI_INFO) == 28);
static_assert(sizeof(void*) != 4 || sizeof(OEMDMPARAM) == 36);
static_assert(sizeof(void*) != 4 || sizeof(OEMCUIPPARAM) == 60);
static_assert(sizeof(void*) != 4 || sizeof(USERDATA) == 44);

}  // namespace host
