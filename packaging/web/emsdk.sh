#!/usr/bin/env bash
# Makes a folder that Qt for WebAssembly takes for an emsdk, around Debian's emscripten: Qt finds
# the compiler through $EMSDK/.emscripten, whose EMSCRIPTEN_ROOT names a folder of emscripten's
# tools. Its env.sh sets what emcc needs, with Debian's python3 and node whatever else is first
# on PATH.
#   usage: emsdk.sh DIR      then: source DIR/env.sh
set -euo pipefail
dir=$1
tools=$dir/upstream/emscripten
mkdir -p "$tools"
dir=$(cd "$dir" && pwd)
for tool in emcc em++ em-config emar emranlib emnm emsize embuilder emcmake emmake emrun; do
    ln -sfn "/usr/bin/$tool" "$tools/$tool"
done
ln -sfn /usr/share/emscripten/cmake "$tools/cmake"
# Qt reads the path after EMSDK from the quoted part, as emsdk writes it.
echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$dir/.emscripten"
cat >"$dir/env.sh" <<EOF
export EMSDK='$dir'
export EMSCRIPTEN=/usr/share/emscripten
export EMSDK_PYTHON=/usr/bin/python3
export NODE_PATH=/usr/share/nodejs
export PATH=/usr/bin:\$PATH
EOF
