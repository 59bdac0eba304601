// A JPEG image through the project's libjpeg reader.
#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    plat::TJPEGImage jpeg;
    if (zibor::fuzz::LoadInput(jpeg, data, size))
        (void)jpeg.ToImage();
    return 0;
}
