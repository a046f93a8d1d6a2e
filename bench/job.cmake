# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks of the job's writers: drawing and formatting blocks of values.
add_executable(quibran_writer_bench writer_bench.cpp)
target_link_libraries(quibran_writer_bench PRIVATE quibran_job quibran_warnings benchmark::benchmark_main)
