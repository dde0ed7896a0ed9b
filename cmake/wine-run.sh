#!/bin/sh
# Runs a Windows program under Wine, quietly, for CTest and test discovery.
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=;winemenubuilder.exe=d}"
: "${WINEARCH:=win64}"
export WINEDEBUG WINEDLLOVERRIDES WINEARCH
exec wine "$@"
