# The rollback and history fuzz target composes only some inputs and presents
# none (see the target): it reaches the compositor and presenter through wrappers.
if(TAVINO_FUZZ)
  target_link_options(fuzz_rollback_history PRIVATE -Wl,--wrap=_Z5rGamei -Wl,--wrap=_Z7SDLviewv)
endif()
