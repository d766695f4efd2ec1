/* Resource identifiers shared by tessivar.rc and the program; plain defines so resource compilers read them. */
#ifndef TESSIVAR_RESOURCE_IDS_H
#define TESSIVAR_RESOURCE_IDS_H

#define IDR_MANIFEST 1
#define IDR_ACCELERATORS 101
#define IDI_TESSIVAR 105
#define IDM_EXIT 40003

#endif
