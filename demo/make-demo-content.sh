#!/usr/bin/env bash
# Generates the demo's mod archives: demo/make-demo-content.sh BUILD GAME SERVER
# (run by scripts/layout-demo). The archives go to SERVER/mods/archives/:
#   - single-archive mods, each a folder with a few small files;
#   - Pack.part1.zip, Pack.part2.zip and Pack.zip, the multi-volume mod, whose
#     main archive replaces a file that the volumes also carry;
#   - FrontierMaps.zip, 40 MB of incompressible data stored as is, which the
#     demo server throttles so its progress bar is seen moving;
#   - nothing for LostExpedition.zip, so its download answers 404.
set -euo pipefail
server=$3
out="$server/mods/archives"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# make_zip ARCHIVE FOLDER FILE... : FOLDER/gamedata/<FILE> with a line of text each
make_zip() {
    local archive=$1 folder=$2
    shift 2
    rm -rf "$work/stage"
    mkdir -p "$work/stage/$folder/gamedata"
    for f in "$@"; do
        mkdir -p "$(dirname "$work/stage/$folder/gamedata/$f")"
        echo "$folder: $f" > "$work/stage/$folder/gamedata/$f"
    done
    (cd "$work/stage" && zip -qr -X "$work/$archive" "$folder")
    mv "$work/$archive" "$out/$archive"
}

make_zip DynamicWeather.zip DynamicWeather configs/weathers/default.ltx configs/weathers/storm.ltx
make_zip AmbientSounds.zip AmbientSounds sounds/ambient/wind.txt sounds/ambient/rain.txt
make_zip WeaponRebalance.zip WeaponRebalance configs/weapons/rifle.ltx configs/weapons/pistol.ltx
make_zip SmarterPatrols.zip SmarterPatrols scripts/patrol.script
make_zip MinimalHud.zip MinimalHud configs/ui/hud.xml
make_zip ShaderTweaks.zip ShaderTweaks shaders/shadow.ps shaders/grade.ps
make_zip LanternLights.zip LanternLights configs/lights/lantern.ltx
make_zip ReadableFonts.zip ReadableFonts configs/ui/fonts.xml
make_zip SaveOrganiser.zip SaveOrganiser scripts/saves.script

# The multi-volume set: volumes first, then the main archive, which carries a
# newer readme that must win over the volumes' copy.
make_zip Pack.part1.zip HDTextures textures/ground/grass.dds.txt textures/readme.txt
make_zip Pack.part2.zip HDTextures textures/walls/brick.dds.txt textures/readme.txt
make_zip Pack.zip HDTextures textures/foliage/leaves.dds.txt textures/readme.txt

# The large one: random bytes do not compress, so the transfer stays 40 MB.
rm -rf "$work/stage"
mkdir -p "$work/stage/FrontierMaps/gamedata/levels"
head -c $((40 * 1024 * 1024)) /dev/urandom > "$work/stage/FrontierMaps/gamedata/levels/frontier.level"
(cd "$work/stage" && zip -qr -0 -X "$work/FrontierMaps.zip" FrontierMaps)
mv "$work/FrontierMaps.zip" "$out/FrontierMaps.zip"

rm -f "$out/LostExpedition.zip"
