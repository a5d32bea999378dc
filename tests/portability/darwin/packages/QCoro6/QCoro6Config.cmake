# A stand-in for the QCoro that scripts/setup builds on a Mac (see Qt6Config.cmake).
foreach(component Core Network)
    if(NOT TARGET QCoro6::${component})
        add_library(QCoro6::${component} INTERFACE IMPORTED)
    endif()
    set(QCoro6${component}_FOUND TRUE)
endforeach()
set(QCoro6_FOUND TRUE)
