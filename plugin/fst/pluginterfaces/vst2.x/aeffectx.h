#pragma once
// The free FST headers (Debian package fst-dev) stand in for the VST 2.4 SDK; the
// speaker arrangement is declared in aeffect.h, next door.
#include <pluginterfaces/fst/aeffectx.h>
