#pragma once
// The simulated key: key folder reading and writing, and the key's file forms.
#include "oltrex/simkey/KeyFolder.h"
#include "oltrex/simkey/KeyForms.h"
