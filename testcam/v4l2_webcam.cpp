// v4l2_webcam.cpp - two virtual UVC webcams for Wine's own capture path, without a kernel module
// or a device: a Linux library loaded into Wine with LD_PRELOAD that answers the calls made for
// /dev/video0 and /dev/video1. Wine finds webcams with open() and ioctl() (its video-for-windows
// driver list) and streams them through libv4l2, which reaches the device with syscall(); both
// ways are caught here. Each camera offers YUYV and MJPG at 640 x 480 and 1280 x 720, 30 frames
// a second, through memory-mapped buffers as the uvcvideo driver does, with brightness, contrast,
// saturation and hue controls, and sends the test cameras' moving picture (camera N's picture,
// frame numbers counting up), so a captured frame can be told apart and checked.
//
// TVX_V4L2_CAMERAS=N sets how many cameras there are (2); TVX_V4L2_FORMATS=yuyv or mjpg offers
// that format alone; TVX_V4L2_HIDE_LIBV4L=1 makes libv4l2 look absent to Wine, as on a system
// without libv4l-0.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "testcam/picture.h"
#include "testcam/sample_writer.h"

namespace {

enum { kMaxCameras = 4, kMaxBuffers = 8, kMaxDescriptors = 4096 };

struct Size {
    unsigned width, height;
};
const Size kSizes[] = {{640, 480}, {1280, 720}};
const unsigned kFormats[] = {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG};

// The formats offered, in kFormats' order: both unless TVX_V4L2_FORMATS names one.
bool Offers(unsigned format)
{
    const char *only = getenv("TVX_V4L2_FORMATS");
    if (only == nullptr || *only == 0)
        return format == V4L2_PIX_FMT_YUYV || format == V4L2_PIX_FMT_MJPEG;
    return format == (strcmp(only, "mjpg") == 0 ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV);
}

unsigned OfferedFormat(unsigned index)
{
    for (unsigned format : kFormats)
        if (Offers(format) && index-- == 0)
            return format;
    return 0;
}

struct Control {
    unsigned id;
    const char *name;
    int min, max, step, def;
};
const Control kControls[] = {
    {V4L2_CID_BRIGHTNESS, "Brightness", 0, 255, 1, 128},
    {V4L2_CID_CONTRAST, "Contrast", 0, 255, 1, 32},
    {V4L2_CID_SATURATION, "Saturation", 0, 255, 1, 64},
    {V4L2_CID_HUE, "Hue", -180, 180, 1, 0},
};
enum { kControlCount = sizeof kControls / sizeof kControls[0] };

struct Buffer {
    void *memory;
    size_t length;
    bool queued;
    unsigned bytesUsed, sequence;
    timeval stamp;
};

// One open file of a virtual camera.
struct Camera {
    int fd;   // a descriptor of /dev/null, so that the number is really taken
    int index;
    bool nonBlocking;
    unsigned format, width, height;
    int values[kControlCount];
    Buffer buffers[kMaxBuffers];
    unsigned bufferCount;
    bool streaming;
    unsigned sequence;
    double startTime;
};

std::mutex Lock;
Camera *Cameras[kMaxDescriptors];   // by descriptor

// The C library's own functions, for everything that is not a virtual camera; looked up once.
struct RealCalls {
    decltype(&::open) open;
    decltype(&::open64) open64;
    decltype(&::openat) openat;
    decltype(&::close) close;
    decltype(&::ioctl) ioctl;
    decltype(&::syscall) syscall;
    decltype(&::mmap) mmap;
    decltype(&::munmap) munmap;
    decltype(&::dlopen) dlopen;
    decltype(&::stat) stat;
};

template <typename F> F Lookup(const char *name)
{
    return (F)dlsym(RTLD_NEXT, name);
}

const RealCalls &Real()
{
    static const RealCalls calls = {
        Lookup<decltype(&::open)>("open"),       Lookup<decltype(&::open64)>("open64"),
        Lookup<decltype(&::openat)>("openat"),   Lookup<decltype(&::close)>("close"),
        Lookup<decltype(&::ioctl)>("ioctl"),     Lookup<decltype(&::syscall)>("syscall"),
        Lookup<decltype(&::mmap)>("mmap"),       Lookup<decltype(&::munmap)>("munmap"),
        Lookup<decltype(&::dlopen)>("dlopen"),   Lookup<decltype(&::stat)>("stat"),
    };
    return calls;
}

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

int CameraCount()
{
    const char *text = getenv("TVX_V4L2_CAMERAS");
    int n = text != nullptr ? atoi(text) : 2;
    return n < 0 ? 0 : n > kMaxCameras ? kMaxCameras : n;
}

// The camera a path names ("/dev/videoN"), or -1.
int CameraOfPath(const char *path)
{
    if (path == nullptr || strncmp(path, "/dev/video", 10) != 0)
        return -1;
    char *end = nullptr;
    long n = strtol(path + 10, &end, 10);
    if (end == path + 10 || *end != 0 || n < 0 || n >= CameraCount())
        return -1;
    return (int)n;
}

Camera *CameraOf(int fd)
{
    if (fd < 0 || fd >= kMaxDescriptors)
        return nullptr;
    std::lock_guard<std::mutex> hold(Lock);
    return Cameras[fd];
}

// YUYV's size; an MJPG frame of the test picture always fits in as much.
unsigned SampleBytes(unsigned width, unsigned height)
{
    return width * height * 2;
}

int OpenCamera(int index, int flags)
{
    int fd = Real().open("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fd;
    if (fd >= kMaxDescriptors) {
        Real().close(fd);
        errno = EMFILE;
        return -1;
    }
    Camera *c = new Camera();
    c->fd = fd;
    c->index = index;
    c->nonBlocking = (flags & O_NONBLOCK) != 0;
    c->format = OfferedFormat(0);
    c->width = 640;
    c->height = 480;
    for (int i = 0; i < kControlCount; i++)
        c->values[i] = kControls[i].def;
    std::lock_guard<std::mutex> hold(Lock);
    Cameras[fd] = c;
    return fd;
}

void FreeBuffers(Camera *c)
{
    for (unsigned i = 0; i < c->bufferCount; i++)
        Real().munmap(c->buffers[i].memory, c->buffers[i].length);
    c->bufferCount = 0;
}

int CloseCamera(Camera *c)
{
    {
        std::lock_guard<std::mutex> hold(Lock);
        Cameras[c->fd] = nullptr;
    }
    FreeBuffers(c);
    int result = Real().close(c->fd);
    delete c;
    return result;
}

int Fail(int error)
{
    errno = error;
    return -1;
}

// The supported format nearest to the one asked (the first when the pixel format is not ours).
void FitFormat(v4l2_pix_format *pix)
{
    if (!Offers(pix->pixelformat))
        pix->pixelformat = OfferedFormat(0);
    const Size *best = &kSizes[0];
    for (const Size &s : kSizes)
        if (s.width <= pix->width && s.height <= pix->height)
            best = &s;
    pix->width = best->width;
    pix->height = best->height;
    pix->field = V4L2_FIELD_NONE;
    pix->bytesperline = pix->pixelformat == V4L2_PIX_FMT_YUYV ? pix->width * 2 : 0;
    pix->sizeimage = SampleBytes(pix->width, pix->height);
    pix->colorspace = V4L2_COLORSPACE_SRGB;
    pix->priv = 0;
    pix->flags = 0;
}

// Waits for the next frame's time (or says EAGAIN to a non-blocking reader) and fills the
// oldest queued buffer with it.
int Dequeue(Camera *c, v4l2_buffer *b)
{
    if (!c->streaming)
        return Fail(EINVAL);
    Buffer *next = nullptr;
    unsigned index = 0;
    for (unsigned i = 0; i < c->bufferCount; i++)
        if (c->buffers[i].queued && (next == nullptr || c->buffers[i].sequence < next->sequence)) {
            next = &c->buffers[i];
            index = i;
        }
    if (next == nullptr)
        return Fail(EINVAL);
    double due = c->startTime + c->sequence / 30.0;
    double wait = due - Now();
    if (wait > 0) {
        if (c->nonBlocking) {
            // A reader that spins on EAGAIN (Wine's does) is slowed a little, not starved.
            usleep(wait > 0.002 ? 2000 : (useconds_t)(wait * 1e6));
            if (due > Now())
                return Fail(EAGAIN);
        } else {
            usleep((useconds_t)(wait * 1e6));
        }
    }
    int code = c->format == V4L2_PIX_FMT_MJPEG ? kSampleMjpg : kSampleYuy2;
    long bytes = WriteTestSample(code, (int)c->width, (int)c->height, c->index, c->sequence,
                                 (uint8_t *)next->memory, (long)next->length, true);
    next->bytesUsed = (unsigned)bytes;
    next->queued = false;
    next->sequence = c->sequence++;
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    next->stamp.tv_sec = t.tv_sec;
    next->stamp.tv_usec = t.tv_nsec / 1000;
    memset(b, 0, sizeof *b);
    b->index = index;
    b->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    b->bytesused = next->bytesUsed;
    b->flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_DONE | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
    b->field = V4L2_FIELD_NONE;
    b->timestamp = next->stamp;
    b->sequence = next->sequence;
    b->memory = V4L2_MEMORY_MMAP;
    b->m.offset = index * 0x100000u;
    b->length = (unsigned)next->length;
    return 0;
}

const Control *ControlOf(unsigned id, int *slot)
{
    for (int i = 0; i < kControlCount; i++)
        if (kControls[i].id == id) {
            *slot = i;
            return &kControls[i];
        }
    return nullptr;
}

int CameraIoctl(Camera *c, unsigned long wide, void *arg)
{
    // Request numbers are 32 bits; callers that pass an int have them sign-extended (Wine's do),
    // and the kernel looks at the low half only.
    uint32_t request = (uint32_t)wide;
    switch (request) {
    case VIDIOC_QUERYCAP: {
        v4l2_capability *cap = (v4l2_capability *)arg;
        memset(cap, 0, sizeof *cap);
        snprintf((char *)cap->driver, sizeof cap->driver, "uvcvideo");
        snprintf((char *)cap->card, sizeof cap->card, "TVX Virtual Webcam %d", c->index);
        snprintf((char *)cap->bus_info, sizeof cap->bus_info, "usb-0000:00:14.0-%d", c->index + 1);
        cap->version = 0x060100;
        cap->device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        cap->capabilities = cap->device_caps | V4L2_CAP_DEVICE_CAPS;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        v4l2_fmtdesc *f = (v4l2_fmtdesc *)arg;
        unsigned format = OfferedFormat(f->index);
        if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || format == 0)
            return Fail(EINVAL);
        unsigned index = f->index;
        memset(f, 0, sizeof *f);
        f->index = index;
        f->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        f->pixelformat = format;
        bool mjpg = format == V4L2_PIX_FMT_MJPEG;
        f->flags = mjpg ? (unsigned)V4L2_FMT_FLAG_COMPRESSED : 0u;
        snprintf((char *)f->description, sizeof f->description,
                 mjpg ? "Motion-JPEG" : "YUYV 4:2:2");
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        v4l2_frmsizeenum *s = (v4l2_frmsizeenum *)arg;
        if (!Offers(s->pixel_format) || s->index >= 2)
            return Fail(EINVAL);
        s->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        s->discrete.width = kSizes[s->index].width;
        s->discrete.height = kSizes[s->index].height;
        return 0;
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
        v4l2_frmivalenum *i = (v4l2_frmivalenum *)arg;
        bool known = false;
        for (const Size &s : kSizes)
            known |= s.width == i->width && s.height == i->height;
        if (!known || i->index != 0 || !Offers(i->pixel_format))
            return Fail(EINVAL);
        i->type = V4L2_FRMIVAL_TYPE_DISCRETE;
        i->discrete.numerator = 1;
        i->discrete.denominator = 30;
        return 0;
    }
    case VIDIOC_G_FMT:
    case VIDIOC_S_FMT:
    case VIDIOC_TRY_FMT: {
        v4l2_format *f = (v4l2_format *)arg;
        if (f->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return Fail(EINVAL);
        if (request == VIDIOC_G_FMT) {
            f->fmt.pix.pixelformat = c->format;
            f->fmt.pix.width = c->width;
            f->fmt.pix.height = c->height;
        }
        FitFormat(&f->fmt.pix);
        if (request == VIDIOC_S_FMT) {
            if (c->bufferCount != 0)
                return Fail(EBUSY);
            c->format = f->fmt.pix.pixelformat;
            c->width = f->fmt.pix.width;
            c->height = f->fmt.pix.height;
        }
        return 0;
    }
    case VIDIOC_G_PARM:
    case VIDIOC_S_PARM: {
        v4l2_streamparm *p = (v4l2_streamparm *)arg;
        if (p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return Fail(EINVAL);
        memset(&p->parm.capture, 0, sizeof p->parm.capture);
        p->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        p->parm.capture.timeperframe.numerator = 1;
        p->parm.capture.timeperframe.denominator = 30;
        p->parm.capture.readbuffers = 0;
        return 0;
    }
    case VIDIOC_ENUMINPUT: {
        v4l2_input *in = (v4l2_input *)arg;
        if (in->index != 0)
            return Fail(EINVAL);
        memset(in, 0, sizeof *in);
        snprintf((char *)in->name, sizeof in->name, "Camera 1");
        in->type = V4L2_INPUT_TYPE_CAMERA;
        return 0;
    }
    case VIDIOC_G_INPUT:
        *(int *)arg = 0;
        return 0;
    case VIDIOC_S_INPUT:
        return *(int *)arg == 0 ? 0 : Fail(EINVAL);
    case VIDIOC_QUERYCTRL: {
        v4l2_queryctrl *q = (v4l2_queryctrl *)arg;
        int slot = -1;
        const Control *k = nullptr;
        if (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) {
            unsigned after = q->id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
            for (int i = 0; i < kControlCount; i++)
                if (kControls[i].id > after && (k == nullptr || kControls[i].id < k->id)) {
                    k = &kControls[i];
                    slot = i;
                }
        } else {
            k = ControlOf(q->id, &slot);
        }
        if (k == nullptr)
            return Fail(EINVAL);
        memset(q, 0, sizeof *q);
        q->id = k->id;
        q->type = V4L2_CTRL_TYPE_INTEGER;
        snprintf((char *)q->name, sizeof q->name, "%s", k->name);
        q->minimum = k->min;
        q->maximum = k->max;
        q->step = k->step;
        q->default_value = k->def;
        return 0;
    }
    case VIDIOC_G_CTRL:
    case VIDIOC_S_CTRL: {
        v4l2_control *v = (v4l2_control *)arg;
        int slot = -1;
        const Control *k = ControlOf(v->id, &slot);
        if (k == nullptr)
            return Fail(EINVAL);
        if (request == VIDIOC_G_CTRL) {
            v->value = c->values[slot];
            return 0;
        }
        if (v->value < k->min || v->value > k->max)
            return Fail(ERANGE);
        c->values[slot] = v->value;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        v4l2_requestbuffers *r = (v4l2_requestbuffers *)arg;
        if (r->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r->memory != V4L2_MEMORY_MMAP)
            return Fail(EINVAL);
        if (c->streaming)
            return Fail(EBUSY);
        FreeBuffers(c);
        unsigned count = r->count > (unsigned)kMaxBuffers ? (unsigned)kMaxBuffers : r->count;
        size_t length = SampleBytes(c->width, c->height);
        for (unsigned i = 0; i < count; i++) {
            void *memory = Real().mmap(nullptr, length, PROT_READ | PROT_WRITE,
                                     MAP_SHARED | MAP_ANONYMOUS, -1, 0);
            if (memory == MAP_FAILED)
                break;
            c->buffers[i] = Buffer{memory, length, false, 0, 0, {}};
            c->bufferCount = i + 1;
        }
        r->count = c->bufferCount;
        r->capabilities = V4L2_BUF_CAP_SUPPORTS_MMAP;
        return 0;
    }
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF: {
        v4l2_buffer *b = (v4l2_buffer *)arg;
        if (b->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || b->index >= c->bufferCount)
            return Fail(EINVAL);
        Buffer &buffer = c->buffers[b->index];
        if (request == VIDIOC_QBUF) {
            buffer.queued = true;
            buffer.sequence = c->sequence;
        }
        b->memory = V4L2_MEMORY_MMAP;
        b->length = (unsigned)buffer.length;
        b->m.offset = b->index * 0x100000u;
        b->flags = V4L2_BUF_FLAG_MAPPED | (buffer.queued ? V4L2_BUF_FLAG_QUEUED : 0);
        b->bytesused = buffer.bytesUsed;
        b->field = V4L2_FIELD_NONE;
        return 0;
    }
    case VIDIOC_DQBUF: return Dequeue(c, (v4l2_buffer *)arg);
    case VIDIOC_STREAMON:
        if (c->bufferCount == 0)
            return Fail(EINVAL);
        if (!c->streaming) {
            c->streaming = true;
            c->sequence = 0;
            c->startTime = Now();
        }
        return 0;
    case VIDIOC_STREAMOFF:
        c->streaming = false;
        for (unsigned i = 0; i < c->bufferCount; i++)
            c->buffers[i].queued = false;
        return 0;
    default: return Fail(ENOTTY);
    }
}

// The mapping of buffer number offset / 0x100000 of a camera.
void *MapBuffer(Camera *c, off_t offset)
{
    unsigned index = (unsigned)(offset / 0x100000);
    if (offset % 0x100000 != 0 || index >= c->bufferCount)
        return nullptr;
    return c->buffers[index].memory;
}

bool IsBufferMapping(void *address)
{
    std::lock_guard<std::mutex> hold(Lock);
    for (Camera *c : Cameras)
        if (c != nullptr)
            for (unsigned i = 0; i < c->bufferCount; i++)
                if (c->buffers[i].memory == address)
                    return true;
    return false;
}

}   // namespace

// ----- The calls Wine and libv4l2 make ---------------------------------------------------------
extern "C" {

// The mode that follows the flags of an open (only read by the system with O_CREAT).
#define MODE_AFTER(flags)                                                                     \
    __extension__({                                                                           \
        va_list args;                                                                         \
        va_start(args, flags);                                                                \
        mode_t mode = (mode_t)va_arg(args, int);                                              \
        va_end(args);                                                                         \
        mode;                                                                                 \
    })

int open(const char *path, int flags, ...)
{
    int camera = CameraOfPath(path);
    return camera >= 0 ? OpenCamera(camera, flags) : Real().open(path, flags, MODE_AFTER(flags));
}

int open64(const char *path, int flags, ...)
{
    int camera = CameraOfPath(path);
    return camera >= 0 ? OpenCamera(camera, flags) : Real().open64(path, flags, MODE_AFTER(flags));
}

int openat(int dir, const char *path, int flags, ...)
{
    int camera = CameraOfPath(path);
    return camera >= 0 ? OpenCamera(camera, flags)
                       : Real().openat(dir, path, flags, MODE_AFTER(flags));
}

// Wine lists a webcam only when its node is a character device.
int stat(const char *path, struct stat *out)
{
    int camera = CameraOfPath(path);
    if (camera < 0)
        return Real().stat(path, out);
    memset(out, 0, sizeof *out);
    out->st_mode = S_IFCHR | 0660;
    out->st_rdev = makedev(81, (unsigned)camera);
    return 0;
}

int close(int fd)
{
    Camera *c = CameraOf(fd);
    return c != nullptr ? CloseCamera(c) : Real().close(fd);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    Camera *c = CameraOf(fd);
    return c != nullptr ? CameraIoctl(c, request, arg)
                        : Real().ioctl(fd, request, arg);
}

// libv4l2 calls the kernel through syscall(): open, close, ioctl, mmap and munmap are answered
// for the cameras, everything else goes on.
long syscall(long number, ...)
{
    va_list args;
    va_start(args, number);
    long a[6];
    for (long &value : a)
        value = va_arg(args, long);
    va_end(args);
    switch (number) {
#ifdef SYS_open
    case SYS_open:
        if (CameraOfPath((const char *)a[0]) >= 0)
            return OpenCamera(CameraOfPath((const char *)a[0]), (int)a[1]);
        break;
#endif
    case SYS_openat:
        if (CameraOfPath((const char *)a[1]) >= 0)
            return OpenCamera(CameraOfPath((const char *)a[1]), (int)a[2]);
        break;
    case SYS_close:
        if (Camera *c = CameraOf((int)a[0]))
            return CloseCamera(c);
        break;
    case SYS_ioctl:
        if (Camera *c = CameraOf((int)a[0]))
            return CameraIoctl(c, (unsigned long)a[1], (void *)a[2]);
        break;
#ifdef SYS_mmap2
    case SYS_mmap2:
#endif
#ifdef SYS_mmap
    case SYS_mmap:
#endif
        if (Camera *c = CameraOf((int)a[4])) {
            off_t offset = (off_t)a[5];
#if defined(SYS_mmap2) && !defined(SYS_mmap)
            offset *= 4096;
#endif
            void *memory = MapBuffer(c, offset);
            if (memory == nullptr) {
                errno = EINVAL;
                return (long)MAP_FAILED;
            }
            return (long)memory;
        }
        break;
    case SYS_munmap:
        if (IsBufferMapping((void *)a[0]))
            return 0;   // the camera keeps its buffers until they are freed or it is closed
        break;
    default: break;
    }
    return Real().syscall(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

void *mmap(void *address, size_t length, int protection, int flags, int fd, off_t offset)
{
    if (Camera *c = CameraOf(fd)) {
        void *memory = MapBuffer(c, offset);
        if (memory == nullptr) {
            errno = EINVAL;
            return MAP_FAILED;
        }
        return memory;
    }
    return Real().mmap(address, length, protection, flags, fd, offset);
}

int munmap(void *address, size_t length)
{
    if (IsBufferMapping(address))
        return 0;
    return Real().munmap(address, length);
}

// A system without libv4l-0, as far as Wine can tell.
void *dlopen(const char *file, int flags)
{
    const char *hide = getenv("TVX_V4L2_HIDE_LIBV4L");
    if (file != nullptr && hide != nullptr && *hide == '1' && strstr(file, "libv4l2") != nullptr)
        return nullptr;
    return Real().dlopen(file, flags);
}

}   // extern "C"
