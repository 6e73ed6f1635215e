// Identifiers of the host's own property page (host_config.rc), which stands for the
// driver's settings tree in the common property sheet; shared with the tests that play it.
#pragma once

#define IDD_HOST_PAGE 100
#define IDC_HOST_PRINTER 1001
#define IDC_HOST_ITEMS 1002
// The push buttons of the plug-in's items, in the order of its items.
#define IDC_HOST_BUTTON0 1010
#define IDC_HOST_BUTTON1 1011
#define IDC_HOST_BUTTON2 1012
#define HOST_PAGE_BUTTONS 3
