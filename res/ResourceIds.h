/* Numbers of the program's resources, for res/Velmora2.rc and for C++ alike:
   plain #defines, which the resource compiler understands. */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

/* The program's icon, also the tray icon's picture. */
#define IDI_VELMORA2 1
/* The registration editor's glyphs that move an entry up and down. */
#define IDB_ARROW_UP 101
#define IDB_ARROW_DOWN 102

#endif
