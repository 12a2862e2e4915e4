# Sourced by the build scripts after they set $top: compiles through ccache when it is there, so
# that a clone of the same tree, wherever it lies, builds from the cache of the last build of it
# (paths below the tree are hashed relative to it). Sets rq_cache_flags for cmake.
rq_cache_flags=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$top"
  export CCACHE_NOHASHDIR=1
  rq_cache_flags=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
