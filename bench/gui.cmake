# Benchmarks of the window program.
