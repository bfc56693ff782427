// A window of the planted tree.
#pragma once
