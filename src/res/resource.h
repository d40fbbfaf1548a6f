// Identifiers of the program's resources, shared by the .rc file and the code.
#ifndef KVELMORA_RESOURCE_H
#define KVELMORA_RESOURCE_H

// Dialog templates
#define IDD_WIZARD 102
#define IDD_WELCOME_PAGE 130
#define IDD_HEADER_PAGE 131
#define IDD_UPDATE_LIST_PAGE 132
#define IDD_PROGRESS_PAGE 134
#define IDD_FINISH_PAGE 135

// Images and icon
#define IDI_PROGRAM 128
#define IDB_LEFT_PANEL 129
#define IDB_LOGO 140

// Controls of the wizard window; its Cancel button is IDCANCEL (2)
#define IDC_ETCHED_LINE 1000
#define IDC_BACK 1001
#define IDC_NEXT 1002
#define IDC_STATUS_LINE 1026

// Controls of the pages
#define IDC_LEFT_PANEL 1003
// The first text of a page, holding one %s for the product version code; on
// the finish page the outcome, and IDC_TEXT2 the explanation that follows it.
#define IDC_TITLE 1004
#define IDC_TEXT2 1005
#define IDC_TEXT3 1006
#define IDC_TEXT4 1007
#define IDC_HEADER_TITLE 1011
#define IDC_UPDATE_TREE 1012
#define IDC_COPY_STATUS 1020
#define IDC_COPY_PROGRESS 1021
#define IDC_LOGO_PANEL 1023
// Reference numbers of the package's newest update and of the installed one
#define IDC_NEWEST_STAMP 1024
#define IDC_INSTALLED_STAMP 1025

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
