# The scaler's vector kernels must round every product and sum on its own, as
# its scalar loops do: no fused multiply-adds in those files.
set_source_files_properties(src/display/scaler.cpp src/display/scaler_avx2.cpp
  PROPERTIES COMPILE_OPTIONS "-ffp-contract=off")
