#include "platform/resources.h"

#define VELMORA_DECLARE_RESOURCE(name)              \
    extern "C" const char velmora_res_##name##_begin[]; \
    extern "C" const char velmora_res_##name##_end[];

VELMORA_DECLARE_RESOURCE(background)
VELMORA_DECLARE_RESOURCE(icon_vk)
VELMORA_DECLARE_RESOURCE(icon_discord)
VELMORA_DECLARE_RESOURCE(icon_forum)
VELMORA_DECLARE_RESOURCE(icon_boosty)
VELMORA_DECLARE_RESOURCE(icon_github)
VELMORA_DECLARE_RESOURCE(default_user_ltx)
VELMORA_DECLARE_RESOURCE(ui_font)

#define VELMORA_RESOURCE_VIEW(name) \
    std::string_view(velmora_res_##name##_begin, static_cast<size_t>(velmora_res_##name##_end - velmora_res_##name##_begin))

std::string_view GetResource(Resource id) {
    switch (id) {
        case Resource::Background: return VELMORA_RESOURCE_VIEW(background);
        case Resource::IconVk: return VELMORA_RESOURCE_VIEW(icon_vk);
        case Resource::IconDiscord: return VELMORA_RESOURCE_VIEW(icon_discord);
        case Resource::IconForum: return VELMORA_RESOURCE_VIEW(icon_forum);
        case Resource::IconBoosty: return VELMORA_RESOURCE_VIEW(icon_boosty);
        case Resource::IconGithub: return VELMORA_RESOURCE_VIEW(icon_github);
        case Resource::DefaultUserLtx: return VELMORA_RESOURCE_VIEW(default_user_ltx);
        case Resource::UiFont: return VELMORA_RESOURCE_VIEW(ui_font);
    }
    return {};
}
