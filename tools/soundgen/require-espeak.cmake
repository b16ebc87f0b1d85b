# Stops the sound generation with a plain message when the speech synthesiser
# that voices the greeting is not installed.
find_program(espeak_ng espeak-ng NO_CACHE)
if(NOT espeak_ng)
  message(FATAL_ERROR "soundgen needs espeak-ng, which is missing: install the Debian package with\n  apt-get install espeak-ng")
endif()
