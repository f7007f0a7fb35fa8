// uidriver_gtest.h: the scripted UI driver (support/uidriver.h, support/msgrecorder.h) for GoogleTest.
//   Linking the target `uidriver` installs a ui::Reporter that turns the driver's failures into test
//   failures and reports a step's own EXPECT_* / ASSERT_* named after the step (a failed ASSERT_* ends
//   the script like Ctx::Fail).
#pragma once

#include "support/msgrecorder.h"
#include "support/uidriver.h"
