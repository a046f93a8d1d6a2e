# Benchmarks of the job and writers.
