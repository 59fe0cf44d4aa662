! The monitoring file written by the Fortran runtime: the heading line of the
! columns v1 .. vNV, then per step the counter, the time and NV values with the
! format "(i6,99g13.5)".
subroutine ref_monwrite(path, plen, nt, nv, time, val) bind(c, name='ref_monwrite')
  use iso_c_binding, only: c_char, c_int, c_float
  implicit none
  integer(c_int), value :: plen, nt, nv
  character(kind=c_char), intent(in) :: path(plen)
  real(c_float), intent(in) :: time(nt), val(nt, nv)
  character(len=plen) :: fname
  character(len=19 + 13 * nv) :: head
  character(len=8) :: name
  integer :: i, j, u
  do i = 1, plen
    fname(i:i) = path(i)
  end do
  head = '!count        ,time'
  do i = 1, nv
    write (name, '(a,i0)') 'v', i
    head(7 + 13 * i:19 + 13 * i) = '    ,' // name
  end do
  open (newunit=u, file=fname, status='replace', action='write')
  write (u, '(a)') head
  do j = 1, nt
    write (u, '(i6,99g13.5)') j - 1, time(j), (val(j, i), i = 1, nv)
  end do
  close (u)
end subroutine ref_monwrite
