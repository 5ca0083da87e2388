// Resource identifiers, shared by the resource script and the code.
#pragma once

#define IDD_WARNING 100
#define IDC_WARNING_ICON 101
#define IDC_WARNING_TEXT 102
