# Fails the build if the boot stage compiled to more than its one class file.
file(GLOB classes ${DIR}/*.class)
list(LENGTH classes n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "the boot stage must compile to quillpodboot.class alone, got: ${classes}")
endif()
