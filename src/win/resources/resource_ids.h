/* Identifiers of the pictures in palimp.rc, shared by the resource script and the code. Plain
   macros, so that the resource compiler can read this header too. */
#pragma once

/* The application icon: window icons, the logo at the right of the toolbar, the about box. */
#define IDI_PALIMP 1

/* Toolbar pictures, one image per button in this order: Open, Save As. 32-bit bitmaps with
   alpha; 16x16 cells for 96 DPI, 24x24 cells for 144 DPI and above. */
#define IDB_TOOLBAR 100
#define IDB_TOOLBAR_24 101

/* The about box's pictures: the banner across its top (416x91) and the logo beside the
   program's name (40x40); 32-bit bitmaps with alpha, shown at these sizes at every DPI. */
#define IDB_ABOUT_BANNER 110
#define IDB_ABOUT_LOGO 111

/* The error report's logo (119x42), 32-bit with alpha. */
#define IDB_REPORT_LOGO 112
