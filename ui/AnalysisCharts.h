#pragma once

// The charts of a crowd analysis (being written).
