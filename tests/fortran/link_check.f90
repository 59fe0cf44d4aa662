! A caller of every routine through the module, linked against the 32-bit
! Windows DLL's import library: each call names the routine as a __stdcall
! function of its argument bytes (_NAME@n), so the link succeeds only when
! every interface passes as many argument words as the DLL's routine takes.
! Built by the cross build, never run.
module link_check_callbacks
  use, intrinsic :: iso_c_binding, only: c_char, c_int32_t
  implicit none
contains
  function lookup(name, name_len) bind(c) result(irec)
#if __SIZEOF_POINTER__ == 4
!GCC$ ATTRIBUTES STDCALL :: lookup
#endif
    integer(c_int32_t), value :: name_len
    character(kind=c_char), intent(in) :: name(name_len)
    integer(c_int32_t) :: irec
    irec = len(name)
  end function lookup

  subroutine on_stop(message) bind(c)
#if __SIZEOF_POINTER__ == 4
!GCC$ ATTRIBUTES STDCALL :: on_stop
#endif
    character(kind=c_char), intent(in) :: message(*)
    if (message(1) == 'x') return
  end subroutine on_stop
end module link_check_callbacks

program link_check
  use, intrinsic :: iso_c_binding, only: c_funloc, c_null_ptr
  use morvane
  use link_check_callbacks
  implicit none
  type(KEYLIST), save :: list
  type(VarDescriptor) :: vars(1)
  type(SeriesSpec) :: spec, specs(9)
  type(PlotSettings) :: pset
  character(len=128) :: msg, text
  integer :: n, ints(27)
  real :: r, s(1:1), m(9, 1:1), k(6, 6), v(32), o(3, 1)
  ! outputs apart from inputs
  integer :: nout
  real :: rout, rout2, sout(1:1), vout(32)

  call morvane_set_stop_handler(c_funloc(on_stop))
  call morvane_last_message(msg)
  n = morvane_warning_count()
  call morvane_warning(n, msg)
  call READINP(1, vars, lookup, list, 1, 1, msg, n, n, n, n, r, r, s, s, r, r, r, r, r, n, k, r, &
      s, s, r, r, r, r, r, r, n, v, s, s, s, v, m, m, m, spec, specs, r, r, r, r, r, r, r, v, r, &
      s, s, spec, msg)
  call READINPW(list, 1, 1, 1, 1, 1, r, r, r, r, r, r, v, n, v, s, v, msg)
  call FIL2LIST(list)
  call MONWRITE(spec, text, vars, 1, ints, 1, 1, 1, 1, 1, s, m)
  call GETOBS(lookup, list, text, 8, specs, c_null_ptr)
  call PREPOBS(spec, r, n, n, nout, o, msg)
  r = VAL_CRIT(n, r, r, r, r, r, r, r)
  call MONPLOT(text, text, 1, 1, ints, 1, ints, ints, ints, vars, pset, r, text, n, v, ints, n, n, n, &
      r, r, 1, 1, n, n, n, 1, s, m, specs, specs, msg)
  call GETPANES(n, n, r, r, r, r, r, r, r, r, r, n, n, v, v, r, r)
  r = FKHCO3(r) + FKCO3(r) + FKOH(r) + FKCACO3(r) + FLGKALOX(r, r)
  call SEASALTS(n, v, vout)
  call ORGALL(r, r, v, k, vout, rout)
  call EXCEED(r, r, r, r, r, rout, rout2, nout)
  call MINPOLY(1, s, s, 1, s, s, nout, v, vout)
  call SHFTPOLY(1, s, s, r, nout, sout, sout)
  print *, morvane_version_text(), r
end program link_check
