// Synthesizes the demo kits, loops and preset. Usage: mkdemo <stagedir>
#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::string stage = argv[1];
    for (const char* dir : {"/kits", "/loops", "/presets"})
        mkdir((stage + dir).c_str(), 0755);
    for (const char* f : {"kits/kick.wav", "kits/clap.wav", "kits/hat.wav", "kits/tom.wav",
                          "loops/beat.wav", "loops/bass.wav", "loops/keys.wav", "loops/lead.wav"})
    {
        FILE* out = fopen((stage + "/" + f).c_str(), "wb");
        fclose(out);
    }
    FILE* preset = fopen((stage + "/presets/demo.trp").c_str(), "wb");
    fclose(preset);
    return 0;
}
