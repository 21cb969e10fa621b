// rig_settings.h - which camera of a rig is Left and which Right, kept by the cameras' device
// paths (names are alike for two webcams of one model, and the order they are found in changes
// with the USB port), the frame size chosen, and the settings file that holds them (no Windows
// header).
#ifndef STEREOSHOT_RIG_SETTINGS_H
#define STEREOSHOT_RIG_SETTINGS_H

#include <string>

struct RigSettings {
    std::string left, right;   // device paths; "" not known
    int width = 0, height = 0;   // the frame size; 0 x 0 not chosen
    // How much later each camera delivers what it saw (a sync check's measure), ms: kept with
    // the camera it was measured on. 0 not measured.
    double leftDelayMs = 0.0, rightDelayMs = 0.0;
};

// Lines "left=<path>", "right=<path>", "size=<width>x<height>", "left_delay=<ms>" and
// "right_delay=<ms>" (each at most once; the size two whole numbers from 1 to 99999, a delay a
// number from -1000 to 1000); blank lines and lines starting with '#' are passed over.
// False, with what is wrong in *problem, for any other line.
bool ParseRigSettings(const std::string &text, RigSettings *settings, std::string *problem);
std::string FormatRigSettings(const RigSettings &settings);

// The sides for the cameras open now (their device paths; count 1 or 2): leftCamera is the camera
// that feeds Left (with one camera, -1 when it belongs on the Right); note says what differs from
// the settings ("" when nothing).
struct SideChoice {
    int leftCamera;
    std::string note;
};
SideChoice ChooseSides(const RigSettings &settings, const std::string paths[2], int count);

#endif
