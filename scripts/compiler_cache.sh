# Sourced by the build scripts: sets `launcher` to the cmake option that
# compiles through ccache when the machine has it (rebuilds after small
# changes are then quick; the build does not need it). Precompiled headers
# (cmake/Precompiled.cmake) are cached only with these two sloppinesses.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_SLOPPINESS=pch_defines,time_macros;ccache")
fi
