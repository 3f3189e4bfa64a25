// Draws the seventeen images of the program. Usage: mkart <font.ttf> <outdir>
#include <SDL/SDL.h>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: mkart <font.ttf> <outdir>\n");
        return 2;
    }
    struct Image
    {
        const char* name;
        int w, h;
    };
    const Image images[] = {
        {"dialog", 260, 116},    {"dialog_2", 260, 116},  {"f_play", 320, 240},
        {"f_presets", 320, 240}, {"f_smp", 320, 240},     {"teclas", 312, 130},
        {"boton_p", 140, 100},   {"boton_p_2", 140, 100}, {"boton_s", 140, 100},
        {"boton_s_2", 140, 100}, {"caja_s", 118, 18},     {"caja_l", 87, 18},
        {"rata", 16, 16},        {"caja_s_2", 241, 17},   {"sample_sel", 51, 21},
        {"asignado", 48, 17},    {"caja_p", 241, 17}};
    for (const Image& image : images)
    {
        SDL_Surface* s = SDL_CreateRGBSurface(0, image.w, image.h, 24, 0, 0, 0, 0);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 40, 60, 90));
        std::string path = std::string(argv[2]) + "/" + image.name + ".bmp";
        SDL_SaveBMP(s, path.c_str());
        SDL_FreeSurface(s);
    }
    return 0;
}
