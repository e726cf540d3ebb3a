#include "host/rc/rcscript.h"
#include <gtest/gtest.h>
TEST(Rc, Smoke) {}
