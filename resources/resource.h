// Resource ids of Plymora.dll.
#pragma once

#define IDR_PLYMORA 101        // registry script of the add-in class
#define IDR_BITMAPHANDLER 111  // registry script of the icon writer
#define IDB_MAIN_ICON_LARGE 202  // 24 x 24
#define IDB_MAIN_ICON_SMALL 204  // 16 x 16
#define IDB_TOOLBAR_LARGE 205    // 96 x 24: four 24-pixel images by image index
#define IDB_TOOLBAR_SMALL 208    // 64 x 16: four 16-pixel images by image index
