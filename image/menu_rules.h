// menu_rules.h - where the image windows' commands appear and when (no Windows header): the
// menus and submenus, and the rules for check marks and for what an image's depth offers.
#ifndef TVX_MENU_RULES_H
#define TVX_MENU_RULES_H

enum ImageMenuPlace {
    kMenuNone,          // reached by key only
    kMenuBasic,         // right click: clipboard, files, zoom, size, destroy
    kMenuProcessTop,    // middle click, or Ctrl and right click
    kMenuProcess,       // its submenus
    kMenuInformation,
    kMenuPattern,
    kMenuColor,
    kMenuLine,
    kMenuBox,
    kMenuCircle,
    kMenuTrueType,
};

enum ImageItemRule {
    kItemAlways,
    kItemCheckedAtZoom50,    // the check marks compare the zoom exactly: a fitted 49 checks none
    kItemCheckedAtZoom100,
    kItemCheckedAtZoom200,
    kItemFor32Bit,           // offered for 32-bit images only
    kItemFor8Bit,            // offered for 8-bit images only
};

bool ImageItemOffered(int rule, int bits);
bool ImageItemChecked(int rule, int zoom);

#endif
