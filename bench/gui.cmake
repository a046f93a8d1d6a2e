# SPDX-License-Identifier: GPL-3.0-or-later
# The window's responsiveness during a 2 GB .BIN job: event-loop latency,
# repaints and the time from a Stop click to the job's end.
add_executable(quibran_gui_responsiveness gui_responsiveness.cpp)
target_link_libraries(quibran_gui_responsiveness PRIVATE quibran_gui quibran_warnings)

# The bitmap window drawing a picture against the same drawing headless, and
# how many columns Stop takes to act.
add_executable(quibran_bitmap_window_bench bitmap_window_bench.cpp)
target_link_libraries(quibran_bitmap_window_bench PRIVATE quibran_gui quibran_warnings)

# The start to an idle main window.
add_executable(quibran_start_up start_up.cpp)
target_link_libraries(quibran_start_up PRIVATE quibran_gui quibran_warnings)

# How long the help window takes to open and to show each page.
add_executable(quibran_help_open help_open.cpp)
target_link_libraries(quibran_help_open PRIVATE quibran_gui quibran_warnings)
