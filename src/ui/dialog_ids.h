// Ids of the plug-in's dialog templates and of the controls on them. Read by the resource
// compiler (resources/dialogs.rc) and by the portable core, so the ids are plain #defines;
// the C++ helpers below are hidden from the resource compiler.
//
// Several dialogs share a numeric control id for different roles (1131 is the Print At
// label of Print and Hold and the diagnostic group of the Troubleshooting page); the names
// carry the dialog so that each role has its own name.
#ifndef PLUGIN_UI_DIALOG_IDS_H
#define PLUGIN_UI_DIALOG_IDS_H

// --- Templates: left-to-right and mirrored (right-to-left) forms -------------------------
#define IDD_PRINT_HOLD 3006
#define IDD_PRINT_HOLD_RTL 3500
#define IDD_TROUBLESHOOTING 3023
#define IDD_TROUBLESHOOTING_RTL 3501
#define IDD_LOOKOUT_SETTINGS 3027
#define IDD_LOOKOUT_SETTINGS_RTL 3502
#define IDD_COPIES_SETTING 3042
#define IDD_COPIES_SETTING_RTL 3503
#define IDD_JOB_ACCOUNTING 3044
#define IDD_JOB_ACCOUNTING_RTL 3505
#define IDD_ABOUT 3026

// --- Buttons shared by the modal dialogs (the platform's OK, Cancel and Help ids) --------
#define IDC_DIALOG_OK 1
#define IDC_DIALOG_CANCEL 2
#define IDC_DIALOG_HELP 9

// --- Print and Hold (3006, 3500) ---------------------------------------------------------
#define IDC_HOLD_OPTIONS_GROUP 1085
#define IDC_HOLD_MODE_LABEL 1073
#define IDC_HOLD_MODE 1074
#define IDC_HOLD_STORE_JOB 1169
#define IDC_HOLD_STORE_PUBLIC 1000
#define IDC_HOLD_PRINT_AT_LABEL 1131
#define IDC_HOLD_PRINT_AT_DATE 1143
#define IDC_HOLD_PRINT_AT_TIME 1132
#define IDC_HOLD_USER_ID_LABEL 1189
#define IDC_HOLD_USER_ID 1191
#define IDC_HOLD_USER_ID_HINT 1190
#define IDC_HOLD_JOB_NAME_LABEL 1064
#define IDC_HOLD_JOB_NAME 1066
#define IDC_HOLD_JOB_NAME_HINT 1065
#define IDC_HOLD_PASSCODE_LABEL 1018
#define IDC_HOLD_PASSCODE 1020
#define IDC_HOLD_PASSCODE_HINT_FIXED 1019
#define IDC_HOLD_PASSCODE_HINT_RANGE 1353
#define IDC_HOLD_CONFIRM_LABEL 1348
#define IDC_HOLD_CONFIRM 1349
#define IDC_HOLD_CONFIRM_HINT_FIXED 1021
#define IDC_HOLD_CONFIRM_HINT_RANGE 1354

// --- Job Accounting (3044, 3505) ---------------------------------------------------------
#define IDC_ACCOUNT_OPTIONS_GROUP 1085
#define IDC_ACCOUNT_USER_ID_LABEL 1189
#define IDC_ACCOUNT_USER_ID 1191
#define IDC_ACCOUNT_USER_ID_HINT 1190
#define IDC_ACCOUNT_PASSWORD_LABEL 1018
#define IDC_ACCOUNT_PASSWORD 1020
#define IDC_ACCOUNT_PASSWORD_HINT 1400
#define IDC_ACCOUNT_CONFIRM_LABEL 1348
#define IDC_ACCOUNT_CONFIRM 1349
#define IDC_ACCOUNT_CONFIRM_HINT 1401

// --- Copies Setting (3042, 3503) ---------------------------------------------------------
#define IDC_COPIES_GROUP 1022
#define IDC_COPIES_COLOR_LABEL 1356
#define IDC_COPIES_COLOR 1257
#define IDC_COPIES_OF_LABEL 1261
#define IDC_COPIES_TOTAL 1262
#define IDC_COPIES_GRAYSCALE_LABEL 1358
#define IDC_COPIES_GRAYSCALE 1259
#define IDC_COPIES_GRAYSCALE_SPIN 1260

// --- Troubleshooting page (3023, 3501) ---------------------------------------------------
#define IDC_TROUBLE_LOOKOUT_GROUP 1241
#define IDC_TROUBLE_LOOKOUT_INTRO 1242
#define IDC_TROUBLE_LOOKOUT_LAST_TOPIC 1243
#define IDC_TROUBLE_LOOKOUT_SETTINGS 1225
#define IDC_TROUBLE_DIAG_GROUP 1131
#define IDC_TROUBLE_DIAG_INTRO 1239
#define IDC_TROUBLE_DIAG_LIST 1238
#define IDC_TROUBLE_DIAG_PRINT 1223
#define IDC_TROUBLE_LINKS_GROUP 1224
#define IDC_TROUBLE_LINK_1 1212
#define IDC_TROUBLE_LINK_2 1213
#define IDC_TROUBLE_LINK_3 1214
#define IDC_TROUBLE_LINK_4 1215
#define IDC_TROUBLE_LINK_5 1216
#define IDC_TROUBLE_LINK_6 1217
#define IDC_TROUBLE_ABOUT 1229
#define IDC_TROUBLE_LOGO 1071
#define IDC_TROUBLE_HELP 1001

// --- Job Lookout settings (3027, 3502) ---------------------------------------------------
#define IDC_LOOKOUT_ENABLE 1246
#define IDC_LOOKOUT_INTERVAL 1244
#define IDC_LOOKOUT_INTERVAL_SPIN 1245
#define IDC_LOOKOUT_INTERVAL_LABEL 1242

// --- About (3026) ------------------------------------------------------------------------
#define IDC_ABOUT_DETAILS 1002

#ifndef RC_INVOKED

namespace ui {

// A dialog's left-to-right template and its mirrored form (0: the dialog has none and
// switches its layout itself).
struct DialogTemplatePair {
    int leftToRight;
    int rightToLeft;
};

inline constexpr DialogTemplatePair kDialogTemplates[] = {
    {IDD_PRINT_HOLD, IDD_PRINT_HOLD_RTL},
    {IDD_JOB_ACCOUNTING, IDD_JOB_ACCOUNTING_RTL},
    {IDD_COPIES_SETTING, IDD_COPIES_SETTING_RTL},
    {IDD_TROUBLESHOOTING, IDD_TROUBLESHOOTING_RTL},
    {IDD_LOOKOUT_SETTINGS, IDD_LOOKOUT_SETTINGS_RTL},
    {IDD_ABOUT, 0},
};

// The template to load for dialog `id` (given in either form) on a system whose default
// language is written right to left or not. A dialog without a mirrored form, and an id
// that names no dialog, stays as it is.
constexpr int MirroredTemplate(int id, bool rightToLeft) {
    for (const DialogTemplatePair& pair : kDialogTemplates) {
        if (id != pair.leftToRight && (pair.rightToLeft == 0 || id != pair.rightToLeft)) continue;
        if (rightToLeft && pair.rightToLeft != 0) return pair.rightToLeft;
        return pair.leftToRight;
    }
    return id;
}

}  // namespace ui

#endif  // RC_INVOKED

#endif  // PLUGIN_UI_DIALOG_IDS_H
