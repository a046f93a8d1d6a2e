# The window's responsiveness during a 2 GB .BIN job: event-loop latency,
# repaints and the time from a Stop click to the job's end.
add_executable(quibran_gui_responsiveness gui_responsiveness.cpp)
target_link_libraries(quibran_gui_responsiveness PRIVATE quibran_gui)
