// The free FST headers (Debian package fst-dev) stand in for the VST 2.4 SDK.
#include <pluginterfaces/fst/aeffectx.h>
