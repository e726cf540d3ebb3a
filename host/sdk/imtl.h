// Materials, texture maps, shading contexts and lights.
#pragma once

#include "lightdesc.h"
#include "mtl.h"
#include "mtlbase.h"
#include "shadecontext.h"
#include "texmap.h"
