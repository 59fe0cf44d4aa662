! A Fortran program against morvane through its module: prints the line that
! consumer.c prints.
program consumer
  use morvane
  implicit none
  type(KEYLIST), save :: list
  call morvane_set(list%name, 'OLU')
  call morvane_set(list%file, 'missing.inp')
  call FIL2LIST(list)
  write (*, '(a, f4.2, a, i0, a)') 'morvane ' // morvane_version_text() // ': pH ', &
      VAL_CRIT(4, 0.0, 0.0, 0.0, 0.001, 0.0, 0.0, 0.0), ', ', list%n, ' keywords'
end program consumer
