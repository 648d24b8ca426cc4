/* Numbers of the program's resources, for res/Velmora2.rc and for C++ alike:
   plain #defines, which the resource compiler understands. */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

/* The program's icon, also the tray icon's picture. */
#define IDI_VELMORA2 1
/* The registration editor's glyphs that move an entry up and down. */
#define IDB_ARROW_UP 101
#define IDB_ARROW_DOWN 102
/* The manifest of the common controls 6 (the system's themed look), which
   the dialogs are made with; the process's own manifest, number 1, does not
   name them. Number 3: the loaders read 1 for a program and 2 for a library. */
#define IDR_COMMON_CONTROLS_MANIFEST 3

#endif
