// A window-level header of the planted tree.
#pragma once
