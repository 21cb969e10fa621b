// menu_rules.cpp - check marks and what an image's depth offers.
#include "image/menu_rules.h"

bool ImageItemOffered(int rule, int bits)
{
    switch (rule) {
    case kItemFor32Bit: return bits == 32;
    case kItemFor8Bit: return bits == 8;
    default: return true;
    }
}

bool ImageItemChecked(int rule, int zoom)
{
    switch (rule) {
    case kItemCheckedAtZoom50: return zoom == 50;
    case kItemCheckedAtZoom100: return zoom == 100;
    case kItemCheckedAtZoom200: return zoom == 200;
    default: return false;
    }
}
