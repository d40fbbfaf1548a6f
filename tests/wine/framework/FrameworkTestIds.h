#pragma once
// Templates and controls of the framework tests' own resources.
#define IDD_T_MODAL 900
#define IDD_T_MODAL_VISIBLE 901
#define IDD_T_PAGE 902
#define IDD_T_MISSING 999

#define IDC_T_NEXT 1002
#define IDC_T_TEXT 1010
#define IDC_T_PROGRESS 1021
#define IDC_T_TREE 1012
#define IDC_T_LABEL 1011
