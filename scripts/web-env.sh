# Sourced by the web build scripts: what Debian's emscripten needs to run
# under the machine's node.
#  - Its JavaScript optimiser requires acorn, which Debian installs under
#    /usr/share/nodejs, outside node's own search path.
#  - Node 20's built-in fetch makes emscripten's loader fetch the .wasm by
#    URL, which fails on a file path: every configure test that runs a
#    compiled program would then say "cannot run C compiled programs".
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
case " ${NODE_OPTIONS:-} " in
  *" --no-experimental-fetch "*) ;;
  *) export NODE_OPTIONS="${NODE_OPTIONS:+$NODE_OPTIONS }--no-experimental-fetch" ;;
esac

# emcc checks its own installation on every call (half a second each, and
# a library's configure calls it hundreds of times); the package's install
# does not change under it.
export EMCC_SKIP_SANITY_CHECK=1

# Where the WebAssembly builds of the libraries live: outside any checkout,
# so a fresh clone on the same machine (CI's) finds them. One folder per
# combination of library versions, compiler and build recipe.
web_deps_root() {
  echo "${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/vesper-glint/web-deps"
}
