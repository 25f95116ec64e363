#ifndef APPRESOURCES_H
#define APPRESOURCES_H

// The style sheet, images and icon font are compiled into the core library,
// which is static: their registration must be pulled in explicitly. Safe to
// call more than once.
void initAppResources();

#endif
