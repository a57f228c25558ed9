// A stand-in skin library for tests: every call appends one line to the file
// named by CHENGYU_FAKESKIN_LOG.
#include <cstdio>
#include <cstdlib>

namespace {

void record(const char *what, const char *a = "", const char *b = "")
{
    const char *path = std::getenv("CHENGYU_FAKESKIN_LOG");
    if (!path)
        return;
    if (std::FILE *log = std::fopen(path, "a")) {
        std::fprintf(log, "%s|%s|%s\n", what, a, b);
        std::fclose(log);
    }
}

} // namespace

extern "C" {
__attribute__((visibility("default"))) int SkinH_Attach()
{
    record("SkinH_Attach");
    return 1;
}
__attribute__((visibility("default"))) int SkinH_AttachEx(const char *skin, const char *password)
{
    record("SkinH_AttachEx", skin, password);
    return 1;
}
__attribute__((visibility("default"))) int SkinH_SetAero(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    record("SkinH_SetAero", text);
    return 1;
}
}
