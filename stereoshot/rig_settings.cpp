// rig_settings.cpp - the sides of a rig by device path, and their file.
#include "stereoshot/rig_settings.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

// "<width>x<height>", digits only, each 1 to 99999.
static bool ReadSize(const std::string &text, int *width, int *height)
{
    size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == text.size() || x > 5 || text.size() - x - 1 > 5 ||
        text.find_first_not_of("0123456789x") != std::string::npos || text.find('x', x + 1) != std::string::npos)
        return false;
    *width = std::atoi(text.substr(0, x).c_str());
    *height = std::atoi(text.substr(x + 1).c_str());
    return *width > 0 && *height > 0;
}

bool ParseRigSettings(const std::string &text, RigSettings *settings, std::string *problem)
{
    RigSettings read;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        number++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.find('=');
        std::string key = line.substr(0, equals), value = equals == std::string::npos ? "" : line.substr(equals + 1);
        if (key == "left_delay" || key == "right_delay") {
            double &delay = key[0] == 'l' ? read.leftDelayMs : read.rightDelayMs;
            char *end = nullptr;
            double ms = std::strtod(value.c_str(), &end);
            if (delay != 0.0 || value.empty() || *end != 0 || !(ms >= -1000.0 && ms <= 1000.0)) {
                *problem = "line " + std::to_string(number) + " is not \"" + key + "=\" and a delay in ms once";
                return false;
            }
            delay = ms;
            continue;
        }
        if (key == "size") {
            if (read.width != 0 || !ReadSize(value, &read.width, &read.height)) {
                *problem = "line " + std::to_string(number) + " is not \"size=\" and a width x height once";
                return false;
            }
            continue;
        }
        std::string *slot = key == "left" ? &read.left : key == "right" ? &read.right : nullptr;
        if (slot == nullptr || equals == std::string::npos || value.empty() || !slot->empty()) {
            *problem = "line " + std::to_string(number) + " is not \"left=\" or \"right=\" and a device path once";
            return false;
        }
        *slot = value;
    }
    if (!read.left.empty() && read.left == read.right) {
        *problem = "Left and Right name the same camera";
        return false;
    }
    *settings = read;
    return true;
}

std::string FormatRigSettings(const RigSettings &settings)
{
    std::string text = "# stereoshot: the cameras of the rig by device path, and the frame size\r\nleft=" +
                       settings.left + "\r\nright=" + settings.right + "\r\n";
    if (settings.width > 0 && settings.height > 0)
        text += "size=" + std::to_string(settings.width) + "x" + std::to_string(settings.height) + "\r\n";
    char delays[96] = "";
    if (settings.leftDelayMs != 0.0 || settings.rightDelayMs != 0.0)
        snprintf(delays, sizeof delays, "left_delay=%.1f\r\nright_delay=%.1f\r\n", settings.leftDelayMs,
                 settings.rightDelayMs);
    return text + delays;
}

SideChoice ChooseSides(const RigSettings &settings, const std::string paths[2], int count)
{
    SideChoice choice = {0, ""};
    if (settings.left.empty() && settings.right.empty())
        return choice;
    auto find = [&](const std::string &path) {
        for (int camera = 0; camera < count && camera < 2; camera++)
            if (!path.empty() && paths[camera] == path)
                return camera;
        return -1;
    };
    int left = find(settings.left), right = find(settings.right);
    auto missing = [](const char *side, const std::string &path) {
        return std::string("The ") + side + " camera (" + path + ") is not here";
    };
    if (count >= 2) {
        if (left >= 0)
            choice.leftCamera = left;
        else if (right >= 0)
            choice.leftCamera = 1 - right;
        if (left < 0 && right < 0)
            choice.note = "Neither camera of the rig (" + settings.left + ", " + settings.right +
                          ") is here: sides as the cameras were found.";
        else if (left < 0 && !settings.left.empty())
            choice.note = missing("Left", settings.left) + ": the other camera takes its side.";
        else if (right < 0 && !settings.right.empty())
            choice.note = missing("Right", settings.right) + ": the other camera takes its side.";
        return choice;
    }
    // One camera: on its own side, the other side named.
    if (left == 0) {
        choice.note = missing("Right", settings.right) + ": Left opens alone.";
    } else if (right == 0) {
        choice.leftCamera = -1;
        choice.note = missing("Left", settings.left) + ": Right opens alone.";
    } else {
        choice.note = "The one camera open is not one of the rig's (" + settings.left + ", " +
                      settings.right + ").";
    }
    return choice;
}
