// picture.h - the test cameras' moving test picture (no Windows header), shared by the camera
// and by the tests that check what arrived.
#ifndef TVX_TESTCAM_PICTURE_H
#define TVX_TESTCAM_PICTURE_H

#include <cstdint>

enum { kCamWidth = 640, kCamHeight = 480 };

// The pixel (x, y) of camera's picture number frame, as 0x00RRGGBB, y = 0 the top row. The top
// 16 rows are a band in the camera's own colour (camera 0 yellow, camera 1 cyan, others grey);
// row 24 carries the frame number in 32 blocks of 8 pixels (white = 1); a bar 16 pixels wide
// moves 4 pixels a frame; the rest is a gradient that differs between cameras.
uint32_t TestPicturePixel(int camera, uint32_t frame, int x, int y);
// From now on (the camera's mode "scene"), below the frame number a still, textured scene in
// grey instead of the bar and the gradient; camera 1 sees it from 24 pixels to the side (the
// parallax of a rig) and verticalOffset pixels lower (-64 to 64), as a rig not yet aligned.
void UseTestScene(int verticalOffset);
// The scene's grey level (0 to 255) at any point of it, between pixels too: value noise of three
// sizes, smooth and without repeats.
double TestSceneAt(double x, double y);
void StopTestScene(void);
// The flash scene (the camera's mode "flashes"): a light that is switched between dark (40) and
// bright (200) at moments 0.4 to 1.0 s apart, from stream time 0. Its mean brightness over the
// exposure from `from` to `to` (seconds): a frame that the switch falls in sees part of each, as
// a real camera's does.
double FlashLevel(double from, double to);
// What the calling thread's next pictures show below row 32 instead of the test picture: a
// uniform grey (0 to 255; -1 none), or a top-down 640 x 480 backdrop (NULL none) - the screen
// a camera films. Each camera's streaming thread sets its own.
void ShowGreyBelowTheBands(int grey);
void ShowBackdrop(const uint32_t *topDown);
// Fills a bottom-up 640 x 480 RGB32 sample with picture number frame.
void FillTestPicture(uint8_t *sample, int camera, uint32_t frame);
// Reads the frame number back from a top-down frame of 0x00RRGGBB words.
uint32_t ReadFrameNumber(const uint32_t *topDown);
// The peak signal-to-noise ratio of a top-down 640 x 480 frame against the camera's picture of
// the frame number it carries, in dB (1000 when they are equal).
double PictureMatch(const uint32_t *topDown, int camera);

#endif
