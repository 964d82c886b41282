#pragma once
// Shared helpers for the test executables.
